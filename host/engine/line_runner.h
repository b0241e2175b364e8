// Running one command line: the host's built-in commands and the plug-in's commands.
#pragma once

#include "engine/session.h"

#include <string_view>

namespace host {

// Runs a line of a script, of -c or of standard input. The command's result becomes %_?; an
// `exit` sets the session's exit request. Blank lines and comments change nothing.
void RunLine(Session& session, std::u16string_view line);

} // namespace host
