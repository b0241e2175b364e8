// Writing the result files of a suite run.
#pragma once

#include <string>
#include <string_view>

namespace host {

// Creates the directory (and its parents) when it does not exist.
bool MakeDirectory(const std::u16string& path);

// Writes the bytes as the whole file, replacing it.
bool WriteWholeFile(const std::u16string& path, std::string_view bytes);

} // namespace host
