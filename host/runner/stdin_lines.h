// Lines of the process's standard input, for the host's interactive and piped use.
#pragma once

#include <string>

namespace host {

// Reads the next line (without its LF) as bytes; false at the end of the input.
bool ReadInputLine(std::string& line);

} // namespace host
