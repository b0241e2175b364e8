// Running one script test inside a host that runs many: each script with fresh host state, as
// if it ran alone in a process of its own.
#pragma once

#include "session/session.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace host {

// The text of a comment line after "rem" and its blanks ("@" before "rem", and "rem" in any case,
// allowed); nothing for any other line.
std::optional<std::u16string_view> RemarkText(std::u16string_view line);

// The variables of the leading "rem env NAME=VALUE" lines of a script.
std::vector<std::pair<std::u16string, std::u16string>>
LeadingEnvironmentLines(const std::vector<std::u16string>& lines);

// Runs the script as a process of its own would: a fresh ScriptState, the variables that change
// what the host and plug-in do cleared, those of its leading "rem env" lines set, and the plug-in
// loaded for it alone. Its standard output and error are collected in `out` and `err`; returns
// its exit status. Afterwards the environment is as it was.
int RunScriptAlone(Session& session, const std::u16string& script, std::u16string& out,
                   std::u16string& err);

} // namespace host
