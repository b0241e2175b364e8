#include "sys/posix/environment_index.h"

#include <cstring>
#include <unordered_set>

#include "sys/posix/unicode_ctype.h"
#include "text/u16.h"

extern char** environ;

namespace sys::posix {
namespace {

// The folded name of an entry NAME=VALUE, or empty when it has no "=".
std::u16string KeyOfEntry(const char* entry) {
    const char* equals = std::strchr(entry, '=');
    if (equals == nullptr || equals == entry) return {};
    return FoldedName(text::FromUtf8(std::string_view(entry, size_t(equals - entry))));
}

char* MakeEntry(std::u16string_view name, const char* value) {
    const std::string nameBytes = text::ToUtf8(name);
    const size_t valueLength = std::strlen(value);
    char* entry = new char[nameBytes.size() + 1 + valueLength + 1];
    std::memcpy(entry, nameBytes.data(), nameBytes.size());
    entry[nameBytes.size()] = '=';
    std::memcpy(entry + nameBytes.size() + 1, value, valueLength + 1);
    return entry;
}

} // namespace

bool EnvironmentIndex::InStep() const {
    const size_t count = keys_.size();
    return taken_ && environ == entries_.data() && (count == 0 || environ[count - 1] != nullptr);
}

void EnvironmentIndex::Rebuild() {
    // Texts made here that an outside change dropped are freed; those still in place stay ours.
    std::unordered_set<char*> made;
    for (char* text : made_)
        if (text != nullptr) made.insert(text);
    std::vector<char*> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        entries.push_back(*entry);

    keys_.clear();
    made_.clear();
    places_.clear();
    spellings_ = false;
    for (size_t place = 0; place < entries.size(); ++place) {
        keys_.push_back(KeyOfEntry(entries[place]));
        made_.push_back(made.erase(entries[place]) != 0 ? entries[place] : nullptr);
        if (!keys_.back().empty() && !places_.try_emplace(keys_.back(), place).second)
            spellings_ = true;
    }
    for (char* dropped : made) delete[] dropped;
    entries.push_back(nullptr);
    entries_ = std::move(entries);
    taken_ = true;
    Publish();
}

void EnvironmentIndex::Publish() {
    environ = entries_.data();
}

// The last entry moves into the gap: the order of the environment means nothing.
void EnvironmentIndex::RemoveAt(size_t place) {
    delete[] made_[place];
    const size_t last = keys_.size() - 1;
    if (place != last) {
        entries_[place] = entries_[last];
        keys_[place] = std::move(keys_[last]);
        made_[place] = made_[last];
        if (!keys_[place].empty()) places_[keys_[place]] = place;
    }
    entries_[last] = nullptr;
    entries_.pop_back();
    keys_.pop_back();
    made_.pop_back();
}

const char* EnvironmentIndex::Find(std::u16string_view name) {
    if (!InStep()) Rebuild();
    auto found = places_.find(FoldedName(name));
    if (found == places_.end()) return nullptr;
    return std::strchr(entries_[found->second], '=') + 1;
}

void EnvironmentIndex::Set(std::u16string_view name, const char* value) {
    if (!InStep()) Rebuild();
    const std::u16string key = FoldedName(name);
    if (spellings_) {
        // Rare: several spellings came from outside. Every one goes, then the index is rebuilt.
        for (size_t place = keys_.size(); place-- > 0;)
            if (keys_[place] == key) RemoveAt(place);
        Publish();
        Rebuild();
    }
    auto found = places_.find(key);
    // An entry replaced from outside in its place is no longer the text made for it.
    if (found != places_.end() && made_[found->second] != entries_[found->second]) {
        delete[] made_[found->second];
        made_[found->second] = nullptr;
    }
    if (value == nullptr) {
        if (found != places_.end()) {
            const size_t place = found->second;
            places_.erase(found);
            RemoveAt(place);
        }
    } else if (found != places_.end()) {
        delete[] made_[found->second];
        entries_[found->second] = made_[found->second] = MakeEntry(name, value);
    } else {
        char* entry = MakeEntry(name, value);
        entries_.back() = entry;
        entries_.push_back(nullptr);
        keys_.push_back(key);
        made_.push_back(entry);
        places_.emplace(key, keys_.size() - 1);
    }
    Publish();
}

} // namespace sys::posix
