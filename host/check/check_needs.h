// What a script test may need that a machine can lack. A script declares it in its leading
// comment lines, one or more names after "rem needs":
//
//   rem needs clipboard      a clipboard that the host can set and read back (natively always)
//   rem needs console        a console (natively a terminal) the program can open
//   rem needs help-viewer    the HTML help viewer hh.exe on the program search path
//
// plughost --check skips such a script where the need is not met, and says so.
#pragma once

#include <string>
#include <vector>

namespace host {

// The names of the leading "rem needs NAME..." lines ("@" before "rem", and "rem" in any case,
// allowed), in order. The leading lines are those that are comments ("rem ...").
std::vector<std::u16string> DeclaredNeeds(const std::vector<std::u16string>& lines);

// Whether this machine has what the names say, each found out once. The first unmet need, or
// an unknown name, is given in `unmet`.
class MachineNeeds {
public:
    enum class Answer { Met, Unmet, Unknown };
    Answer Check(const std::vector<std::u16string>& needs, std::u16string& unmet);

private:
    int clipboard_ = -1; // -1: not found out yet
    int console_ = -1;
    int helpViewer_ = -1;
};

} // namespace host
