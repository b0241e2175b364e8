// PLUGHOST_CLIPBOARD: how a script gives the plug-in a known clipboard. When the variable is set
// as the host starts (or, in a suite, as each script starts), its text goes onto the system
// clipboard; natively the host's clipboard is that text, and without it there is none.
#pragma once

#include "session/session.h"

namespace host {

inline constexpr char16_t kClipboardVariable[] = u"PLUGHOST_CLIPBOARD";

// Puts the variable's text on the clipboard when it is set; a failure is reported on standard
// error. Nothing happens when it is not set, so a user's clipboard stays untouched.
void ShareClipboardVariable(Session& session);

} // namespace host
