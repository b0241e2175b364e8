// Running scripts: batch files, script text, and lines from standard input.
#pragma once

#include "session/session.h"

#include <string>
#include <string_view>
#include <vector>

namespace host {

// The lines of a UTF-8 script: a byte order mark is dropped, lines end at LF or CR LF.
std::vector<std::u16string> SplitScriptLines(std::string_view utf8);

// Runs script text as the batch file `fullPath`, its lines numbered from 1. `args` are %0, %1...
// Stops at `exit`.
void RunScriptText(Session& session, std::string_view utf8, const std::u16string& fullPath,
                   const std::vector<std::u16string>& args);

// Reads a batch file: its full path (as given when it cannot be resolved) and its bytes. False
// (with a message, and %_? 1) when it cannot be read.
bool ReadScriptFile(Session& session, const std::u16string& given, std::u16string& fullPath,
                    std::string& content);

// Reads and runs a batch file. False (with a message, and %_? 1) when it cannot be read.
bool RunScriptFile(Session& session, const std::vector<std::u16string>& args);

// Runs the lines of standard input until it ends or a line exits.
void RunStandardInput(Session& session);

} // namespace host
