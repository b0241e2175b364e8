// The files of a script-test folder. The system seam reads files but lists no folders, and the
// standard library takes a UTF-16 path on every platform.
#include "engine/suite_files.h"

#include "frame/host_services.h"
#include "frame/text/u16.h"
#include "sys/sys.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace host {

bool ScriptNamesIn(const std::u16string& folder, std::vector<std::u16string>& names) {
    names.clear();
    std::error_code error;
    // Nothing here may throw: the increments that can fail report through `error`.
    std::filesystem::directory_iterator entry(std::filesystem::path(folder), error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::u16string name = entry->path().filename().u16string();
        std::error_code typeError;
        if (name.size() > 4 &&
            text::EqualNoCase(std::u16string_view(name).substr(name.size() - 4), u".btm") &&
            entry->is_regular_file(typeError))
            names.push_back(std::move(name));
    }
    if (error) return false;
    std::sort(names.begin(), names.end());
    return true;
}

std::u16string FullPathOf(const std::u16string& path) {
    std::u16string full(kHostPathCapacity, u'\0');
    uint32_t length = sys::FullPathName(path.c_str(), full.data(), kHostPathCapacity);
    if (length == 0 || length >= uint32_t(kHostPathCapacity)) return path;
    full.resize(length);
    return full;
}

FileRead ReadFileBytes(const std::u16string& path, std::string& bytes) {
    bytes.clear();
    if (sys::FileAttributes(path.c_str()) == sys::kNoFileAttributes) return FileRead::Missing;
    char* data = nullptr;
    size_t size = 0;
    if (!sys::ReadWholeFile(path.c_str(), &data, &size)) return FileRead::Failed;
    if (data != nullptr) {
        bytes.assign(data, size);
        sys::FreeFileBytes(data);
    }
    return FileRead::Read;
}

} // namespace host
