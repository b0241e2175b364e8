// The fully qualified form of a path name by text alone: made absolute against a directory, with
// ".", ".." and repeated slashes resolved, and nothing required to exist. Also used by the test
// backend, which supplies a current directory of its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sys::posix {

// `directory` must be absolute. A name that ends in "/" keeps one trailing slash, as Windows
// keeps the trailing backslash of a directory name.
inline std::u16string AbsolutePath(std::u16string_view directory, std::u16string_view name) {
    std::u16string joined;
    if (name.empty() || name.front() != u'/') {
        joined.assign(directory);
        joined.push_back(u'/');
    }
    joined.append(name);
    std::vector<std::u16string_view> parts;
    std::u16string_view rest = joined;
    while (!rest.empty()) {
        size_t slash = rest.find(u'/');
        std::u16string_view part = rest.substr(0, slash);
        rest = slash == std::u16string_view::npos ? std::u16string_view{} : rest.substr(slash + 1);
        if (part.empty() || part == u".") continue;
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::u16string result;
    for (std::u16string_view part : parts) {
        result.push_back(u'/');
        result.append(part);
    }
    if (result.empty() || (name.size() > 0 && name.back() == u'/')) result.push_back(u'/');
    return result;
}

} // namespace sys::posix
