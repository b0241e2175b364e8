// A registry in memory with the Windows rules the plug-in relies on: names without regard to
// case, "\" between key names, values in the order they were first set, volatile keys that may
// only have volatile sub-keys, and handles that fail once their key is deleted. Also used by the
// test backend, which adds its faults around it. Not locked: the owner serialises calls.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sys/posix/registry_values.h"
#include "sys/posix/unicode_ctype.h"
#include "sys/sys.h"

namespace sys::posix {

struct RegistryNode {
    std::u16string name;
    KeyLifetime lifetime = KeyLifetime::Ordinary;
    bool deleted = false;
    std::vector<std::shared_ptr<RegistryNode>> children;
    RegistryValues values;
};

class RegistryTree {
public:
    RegistryKey Root(RegistryRoot root) const {
        return HandleValue(root == RegistryRoot::CurrentUser ? kCurrentUser : kLocalMachine);
    }

    uint32_t Create(RegistryKey parent, const char16_t* subKey, KeyLifetime lifetime,
                    RegistryKey* key) {
        if (key == nullptr) return kRegInvalidParameter;
        *key = nullptr;
        std::shared_ptr<RegistryNode> node;
        if (uint32_t result = Resolve(parent, Access::CreateSubKeys, node); result != kRegOk)
            return result;
        std::vector<std::u16string_view> names;
        if (!SplitPath(subKey, names)) return kRegBadPath;
        for (std::u16string_view name : names) {
            std::shared_ptr<RegistryNode> child = ChildOf(*node, name);
            if (child == nullptr) {
                if (node->lifetime == KeyLifetime::Volatile && lifetime != KeyLifetime::Volatile)
                    return kRegMustBeVolatile;
                child = std::make_shared<RegistryNode>();
                child->name.assign(name);
                child->lifetime = lifetime;
                node->children.push_back(child);
            }
            node = child;
        }
        *key = NewHandle(node, true);
        return kRegOk;
    }

    uint32_t Open(RegistryKey parent, const char16_t* subKey, RegistryKey* key) {
        if (key == nullptr) return kRegInvalidParameter;
        *key = nullptr;
        std::shared_ptr<RegistryNode> node;
        if (uint32_t result = Resolve(parent, Access::Read, node); result != kRegOk) return result;
        std::vector<std::u16string_view> names;
        if (!SplitPath(subKey, names)) return kRegBadPath;
        for (std::u16string_view name : names) {
            node = ChildOf(*node, name);
            if (node == nullptr) return kRegNotFound;
        }
        *key = NewHandle(node, false);
        return kRegOk;
    }

    void Close(RegistryKey key) { handles_.erase(reinterpret_cast<uintptr_t>(key)); }

    uint32_t SetValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data,
                      uint32_t size) {
        if (data == nullptr && size != 0) return kRegInvalidParameter;
        std::shared_ptr<RegistryNode> node;
        if (uint32_t result = Resolve(key, Access::SetValues, node); result != kRegOk)
            return result;
        RegistryValue& value = node->values.FindOrAdd(NameOf(name));
        value.type = type;
        const auto* bytes = static_cast<const uint8_t*>(data);
        value.data.assign(bytes, bytes + size);
        return kRegOk;
    }

    uint32_t QueryValue(RegistryKey key, const char16_t* name, uint32_t* type, void* data,
                        uint32_t* size) {
        std::shared_ptr<RegistryNode> node;
        if (uint32_t result = Resolve(key, Access::Read, node); result != kRegOk) return result;
        const RegistryValue* value = node->values.Find(NameOf(name));
        if (value == nullptr) return kRegNotFound;
        return CopyValue(*value, type, data, size);
    }

    uint32_t EnumValue(RegistryKey key, uint32_t index, char16_t* name, uint32_t* nameLength,
                       uint32_t* type, void* data, uint32_t* size) {
        if (name == nullptr || nameLength == nullptr) return kRegInvalidParameter;
        std::shared_ptr<RegistryNode> node;
        if (uint32_t result = Resolve(key, Access::Read, node); result != kRegOk) return result;
        const RegistryValue* found = node->values.At(index);
        if (found == nullptr) return kRegNoMoreItems;
        const RegistryValue& value = *found;
        if (value.name.size() >= *nameLength) return kRegMoreData;
        if (data != nullptr && size != nullptr && value.data.size() > *size) {
            *size = static_cast<uint32_t>(value.data.size());
            return kRegMoreData;
        }
        value.name.copy(name, value.name.size());
        name[value.name.size()] = 0;
        *nameLength = static_cast<uint32_t>(value.name.size());
        return CopyValue(value, type, data, size);
    }

    uint32_t DeleteValue(RegistryKey key, const char16_t* name) {
        std::shared_ptr<RegistryNode> node;
        if (uint32_t result = Resolve(key, Access::SetValues, node); result != kRegOk)
            return result;
        return node->values.Remove(NameOf(name)) ? kRegOk : kRegNotFound;
    }

    uint32_t DeleteKey(RegistryKey parent, const char16_t* subKey) {
        if (subKey == nullptr || subKey[0] == 0) return kRegInvalidParameter;
        std::shared_ptr<RegistryNode> node;
        if (uint32_t result = Resolve(parent, Access::Read, node); result != kRegOk) return result;
        std::vector<std::u16string_view> names;
        if (!SplitPath(subKey, names)) return kRegBadPath;
        std::shared_ptr<RegistryNode> above;
        for (std::u16string_view name : names) {
            above = node;
            node = ChildOf(*node, name);
            if (node == nullptr) return kRegNotFound;
        }
        if (!node->children.empty()) return kRegAccessDenied;
        node->deleted = true;
        std::erase(above->children, node);
        return kRegOk;
    }

    // The key at a path below a root, or null; for tests that look at the tree.
    const RegistryNode* Find(RegistryRoot root, std::u16string_view path) const {
        const RegistryNode* node = roots_[root == RegistryRoot::CurrentUser ? 0 : 1].get();
        std::vector<std::u16string_view> names;
        if (!SplitPath(path, names)) return nullptr;
        for (std::u16string_view name : names) {
            std::shared_ptr<RegistryNode> child = ChildOf(*node, name);
            if (child == nullptr) return nullptr;
            node = child.get();
        }
        return node;
    }

    size_t OpenHandles() const { return handles_.size(); }

private:
    enum class Access { Read, CreateSubKeys, SetValues };

    struct OpenKey {
        std::shared_ptr<RegistryNode> node;
        bool writable;
    };

    // The predefined handles carry Windows' own values.
    static constexpr uintptr_t kCurrentUser = 0x80000001;
    static constexpr uintptr_t kLocalMachine = 0x80000002;
    static constexpr uintptr_t kFirstHandle = 0x100;

    static RegistryKey HandleValue(uintptr_t value) { return reinterpret_cast<RegistryKey>(value); }

    // Splits "a\b\c" into its key names. An empty path names the key itself; an empty name
    // inside the path (a leading or doubled "\") is an error, a trailing "\" is not.
    static bool SplitPath(std::u16string_view path, std::vector<std::u16string_view>& names) {
        while (!path.empty()) {
            size_t end = path.find(u'\\');
            std::u16string_view name = path.substr(0, end);
            if (name.empty()) return false;
            names.push_back(name);
            if (end == std::u16string_view::npos) break;
            path.remove_prefix(end + 1);
        }
        return true;
    }
    static bool SplitPath(const char16_t* path, std::vector<std::u16string_view>& names) {
        return path == nullptr || SplitPath(std::u16string_view(path), names);
    }

    static std::shared_ptr<RegistryNode> ChildOf(const RegistryNode& node,
                                                 std::u16string_view name) {
        for (const std::shared_ptr<RegistryNode>& child : node.children)
            if (SameNameNoCase(child->name, name)) return child;
        return nullptr;
    }

    // A missing value name is the key's default value, named "".
    static std::u16string_view NameOf(const char16_t* name) {
        return name == nullptr ? std::u16string_view() : std::u16string_view(name);
    }

    static uint32_t CopyValue(const RegistryValue& value, uint32_t* type, void* data,
                              uint32_t* size) {
        if (data != nullptr && size == nullptr) return kRegInvalidParameter;
        const uint32_t length = static_cast<uint32_t>(value.data.size());
        if (data != nullptr && length > *size) {
            *size = length;
            return kRegMoreData;
        }
        if (type != nullptr) *type = value.type;
        if (data != nullptr && length != 0) std::memcpy(data, value.data.data(), length);
        if (size != nullptr) *size = length;
        return kRegOk;
    }

    uint32_t Resolve(RegistryKey key, Access access, std::shared_ptr<RegistryNode>& node) const {
        const uintptr_t value = reinterpret_cast<uintptr_t>(key);
        if (value == kCurrentUser || value == kLocalMachine) {
            node = roots_[value == kCurrentUser ? 0 : 1];
            return kRegOk;
        }
        auto found = handles_.find(value);
        if (found == handles_.end()) return kRegInvalidHandle;
        if (found->second.node->deleted) return kRegKeyDeleted;
        if (access != Access::Read && !found->second.writable) return kRegAccessDenied;
        node = found->second.node;
        return kRegOk;
    }

    RegistryKey NewHandle(std::shared_ptr<RegistryNode> node, bool writable) {
        const uintptr_t value = nextHandle_;
        nextHandle_ += 4;
        handles_[value] = OpenKey{std::move(node), writable};
        return HandleValue(value);
    }

    std::shared_ptr<RegistryNode> roots_[2] = {std::make_shared<RegistryNode>(),
                                               std::make_shared<RegistryNode>()};
    std::map<uintptr_t, OpenKey> handles_;
    uintptr_t nextHandle_ = kFirstHandle;
};

} // namespace sys::posix
