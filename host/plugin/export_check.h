// `plugin /exports`: finds every export the plug-in protocol and the feature list need, calls
// each one that can be called without side effects, and checks its calling convention and that
// every feature answers a null text with 87.
#pragma once

#include "session/session.h"

namespace host {

// Writes one line per export of the protocol ("NAME: RESULT", "NAME: found", "NAME: missing"),
// one per feature that is missing or misbehaves, then "every feature of the list: 87" (or
// "every other feature ...", after those), and sets %_? to the number of exports that are
// missing or misbehave.
void CheckExports(Session& session);

} // namespace host
