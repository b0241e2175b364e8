// Writing the result files of a suite run. The system seam reads files but writes none, and the
// standard library takes a UTF-16 path on every platform.
#include "engine/suite_files.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace host {

bool MakeDirectory(const std::u16string& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path), error);
    return !error && std::filesystem::is_directory(std::filesystem::path(path), error);
}

bool WriteWholeFile(const std::u16string& path, std::string_view bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(bytes.data(), std::streamsize(bytes.size()));
    file.close();
    return !file.fail();
}

} // namespace host
