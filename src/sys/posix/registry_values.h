// The values of one registry key: found by name without regard to case in constant time, and
// enumerated by index in the order they were first set, as Windows keeps them. A buffer record is
// one value, so a process with many buffers has keys of many values: no call scans them all.
#pragma once

#include <cstdint>
#include <iterator>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sys/posix/unicode_ctype.h"

namespace sys::posix {

struct RegistryValue {
    std::u16string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

class RegistryValues {
public:
    RegistryValues() = default;
    // The index holds places in this object's own list.
    RegistryValues(const RegistryValues&) = delete;
    RegistryValues& operator=(const RegistryValues&) = delete;

    RegistryValue* Find(std::u16string_view name) {
        auto found = byName_.find(FoldedName(name));
        return found == byName_.end() ? nullptr : &*found->second;
    }

    // The value of the name, added at the end with that spelling when there is none.
    RegistryValue& FindOrAdd(std::u16string_view name) {
        auto [entry, added] = byName_.try_emplace(FoldedName(name), order_.end());
        if (added) {
            order_.push_back(RegistryValue{std::u16string(name), 0, {}});
            entry->second = std::prev(order_.end());
        }
        return *entry->second;
    }

    // The rest keep their order. False when there is no value of the name.
    bool Remove(std::u16string_view name) {
        auto found = byName_.find(FoldedName(name));
        if (found == byName_.end()) return false;
        cursorValid_ = false; // the places after it move up by one
        order_.erase(found->second);
        byName_.erase(found);
        return true;
    }

    // The value at a place in the order, or null past the last. Reading the places one after
    // the other, as every enumeration does, steps from the place read before.
    const RegistryValue* At(size_t index) {
        if (index >= order_.size()) return nullptr;
        if (!cursorValid_ || index < cursorIndex_) {
            cursor_ = order_.begin();
            cursorIndex_ = 0;
            cursorValid_ = true;
        }
        std::advance(cursor_, index - cursorIndex_);
        cursorIndex_ = index;
        return &*cursor_;
    }

    size_t size() const { return order_.size(); }

    // Every value in its place, for a reader that changes nothing.
    const std::list<RegistryValue>& InOrder() const { return order_; }

private:
    using Place = std::list<RegistryValue>::iterator;
    std::list<RegistryValue> order_;
    std::unordered_map<std::u16string, Place> byName_;
    Place cursor_{};
    size_t cursorIndex_ = 0;
    bool cursorValid_ = false;
};

} // namespace sys::posix
