// `plugin /exports`: finds every export the plug-in protocol and the feature list need, calls
// each one that can be called without side effects, and checks its calling convention.
#pragma once

#include "session/session.h"

namespace host {

// Writes one line per export ("NAME: RESULT", "NAME: missing", ...) and sets %_? to the number
// of exports that are missing or misbehave.
void CheckExports(Session& session);

} // namespace host
