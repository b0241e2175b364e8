// The scripts of a script-test folder. The system seam lists no folders, and the standard library
// takes a UTF-16 path on every platform.
#include "check/suite_files.h"

#include "text/u16.h"

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

} // namespace host
