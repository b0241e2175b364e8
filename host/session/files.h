// Reading whole files, and their sizes, by their UTF-16 paths, through the system seam.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace host {

enum class FileRead { Read, Missing, Failed };

// The full path of a file, or the path as given when it cannot be made full.
std::u16string FullPathOf(const std::u16string& path);

// The whole file as bytes; a file that is not there is Missing (and `bytes` empty).
FileRead ReadFileBytes(const std::u16string& path, std::string& bytes);

// The size of a file in bytes; none when it cannot be opened to read (no such file, a
// directory, access denied).
std::optional<uint64_t> FileSizeOf(const std::u16string& path);

} // namespace host
