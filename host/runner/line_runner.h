// Running one command line: the host's built-in commands and the plug-in's commands.
#pragma once

#include "language/batch_parse.h"
#include "session/session.h"

#include <string_view>

namespace host {

// Runs a line of -c or of standard input, or a complete statement of a script. The command's
// result becomes %_?; `exit`, `quit` and `goto` set the session's requests. Blank lines,
// comments and labels change nothing.
void RunLine(Session& session, std::u16string_view line);

// A line longer than the host takes is reported (%_? 1) and not run: true for such a line.
bool RefuseTooLongLine(Session& session, std::u16string_view line);

// Runs a parsed statement; `firstLine` is the batch file line it starts on (0: not in one).
void RunStatement(Session& session, const CommandList& commands, int firstLine);

// Reports a statement that cannot run: a syntax error, or a block that is never closed.
void ReportParseFailure(Session& session, const ParseResult& parse, int firstLine);

} // namespace host
