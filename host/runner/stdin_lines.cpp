// Lines of standard input. The system seam offers no reading from a stream, and the C library's
// byte stream serves every platform alike.
#include "runner/stdin_lines.h"

#include <cstdio>

#include "sys/sys.h"

namespace host {

bool ReadInputLine(std::string& line) {
    // Whoever types the next line sees all the output of the last one first.
    sys::FlushStandardOutput();
    line.clear();
    int c = std::getchar();
    if (c == EOF) return false;
    while (c != EOF && c != '\n') {
        line += char(c);
        c = std::getchar();
    }
    return true;
}

} // namespace host
