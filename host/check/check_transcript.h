// How plughost --check compares what a script printed with its transcript (NAME.out, NAME.err):
// as bytes, line ends as they are, after the few rewrites that make a transcript hold nothing
// that differs from checkout to checkout or from run to run.
#pragma once

#include "frame/buffer_address.h"

#include <string>
#include <string_view>
#include <vector>

namespace host {

// Whether this build names buffers by 64-bit addresses: it then reads NAME.x64.out and
// NAME.x64.err where they lie beside a script, and masks handles of sixteen digits.
inline constexpr bool kWideHandleBuild = kHandleDigits == 16;

// The forms in which a script may print its folder, longest first: the folder as it was given
// and its full path, each as it is and with either separator, and for a path from the root of a
// Linux file system also that path on the drive Wine gives it (Z:). A drive letter is taken in
// either case. Trailing separators are dropped.
std::vector<std::string> FolderForms(std::string_view given, std::string_view full);

// Every form of the folder reads %SCRIPTDIR%, where it stands as a path of its own (not inside a
// longer name), and "%SCRIPTDIR%\" reads "%SCRIPTDIR%/": the one separator that differs between
// the builds in what scripts print.
std::string ReplaceFolder(std::string_view text, const std::vector<std::string>& forms);

// For scripts that print buffer handles and times: every run of exactly eight upper-case
// hexadecimal digits (`wide`: sixteen, of which the upper eight are not all 0, so that a handle
// cut to 32 bits still fails) reads %HANDLE%, and every "YYYY-MM-DD hh:mm:ss" reads %TIME%.
std::string MaskHandlesAndTimes(std::string_view text, bool wide);

// A transcript with "%VERSION%" read as the version of this build, "0.66.4" (the version of
// CMakeLists.txt's project(), without its fourth part), so that a new version changes no
// transcript.
std::string WithVersion(std::string_view transcript);

// The x86 transcript as a build with 64-bit handles prints it: "(x86)" after a version number
// ("0.66.4.0 (x86)") reads "(x64)".
std::string AsWideTranscript(std::string_view x86Text);

// The first line where the texts differ, for a report: "line 3: expected "ab\r", actual "ac\r"";
// a long line shows the part around its first difference and the column there. Empty when the
// texts are the same.
std::string FirstDifference(std::string_view expected, std::string_view actual);

} // namespace host
