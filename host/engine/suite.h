// plughost --suite LIST OUTDIR: many scripts in one process, each with fresh host state, as if
// each ran alone under the script-test runner.
#pragma once

#include "engine/session.h"

#include <string>
#include <utility>
#include <vector>

namespace host {

// The variables of the leading "rem env NAME=VALUE" lines of a script (an "@" before "rem" is
// allowed; "rem" in any case).
std::vector<std::pair<std::u16string, std::u16string>>
LeadingEnvironmentLines(const std::vector<std::u16string>& lines);

// Runs every script that LIST names (one path a line; blank lines and lines starting with "#"
// are skipped) and writes OUTDIR/NAME.stdout, NAME.stderr (UTF-8) and NAME.status. Each script
// gets a fresh ScriptState, the runner's environment, and the plug-in loaded for it alone.
// Returns 0 when every script ran and its files were written.
int RunSuite(Session& session, const std::u16string& listPath, const std::u16string& outDir);

} // namespace host
