// The process environment with an index of its names, so that a variable is found and set in
// constant time however many there are (a batch file may set thousands). The entries stay in
// `environ`, which other code and child processes read; this index keeps the array itself and
// the place of every name, folded to upper case. When code outside changes the environment
// (setenv, unsetenv), the array is taken over again and the index rebuilt. Not locked: the caller
// serialises calls.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sys::posix {

class EnvironmentIndex {
public:
    // The value (UTF-8) of the first entry whose name is `name` in any case, or null.
    const char* Find(std::u16string_view name);

    // Replaces every spelling of the name with one entry NAME=VALUE (UTF-8), or removes them all
    // when `value` is null.
    void Set(std::u16string_view name, const char* value);

private:
    // Whether `environ` is still the array kept here, with no entry taken out of it.
    bool InStep() const;
    // Takes over `environ` and indexes it afresh.
    void Rebuild();
    void RemoveAt(size_t place);
    void Publish();

    // The entries, null-terminated: `environ` points here.
    std::vector<char*> entries_{nullptr};
    // Per entry: its folded name (empty for an entry without "="), and the text this index
    // made for it (null when the entry came from elsewhere), freed once the entry goes.
    std::vector<std::u16string> keys_;
    std::vector<char*> made_;
    std::unordered_map<std::u16string, size_t> places_;
    // Some name has several spellings (set from outside): those are handled by a full pass.
    bool spellings_ = false;
    bool taken_ = false;
};

} // namespace sys::posix
