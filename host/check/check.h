// plughost --check DIR|SCRIPT...: the script tests, run and judged by the host itself, the same on
// every platform the host builds for.
//
// Every script DIR/NAME.btm of the folders (in name order), and every SCRIPT named (a path that
// ends in ".btm", judged as in its folder), runs in this one process with fresh
// host state (see RunScriptAlone), in the current directory, so that relative files it makes land
// there. Its standard output, standard error and exit status must equal NAME.out, NAME.err and
// NAME.rc beside it: a missing .out or .err means empty, a missing .rc means 0, and statuses
// compare in their low eight bits. Output is compared as UTF-8 bytes, line ends as they are,
// after the rewrites of check_transcript.h: the folder reads %SCRIPTDIR%, a transcript's
// %VERSION% reads the build's version, and in a script with a line that begins "rem handles",
// handles read %HANDLE% and times %TIME%. A build with 64-bit
// handles compares with NAME.x64.out and NAME.x64.err where they lie there, and elsewhere with
// the x86 text, its version lines' "(x86)" read as "(x64)".
//
// A script whose leading comment lines say "rem needs NAME" (see check_needs.h) is skipped
// where the machine lacks it. The report, on standard output, has a line "FAILED SCRIPT: ..."
// for each failing script with the first differing line of each transcript that differs and the
// status when it differs, a line "skipped SCRIPT: needs NAME" for each skipped one, and ends
// with "N passed, M failed" (", K skipped" when K > 0). The result is 0 only when no script
// failed, some script was found and every folder could be read.
#pragma once

#include "session/session.h"

#include <string>
#include <vector>

namespace host {

int RunCheck(Session& session, const std::vector<std::u16string>& targets);

} // namespace host
