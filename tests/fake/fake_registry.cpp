// The registry and the clock of the fake system: the in-memory tree of the native port, with
// faults a test can switch on, and a UTC clock that stands still until a test sets it.
#include "fake/fake_sys.h"
#include "fake/fake_topics.h"
#include "sys/posix/registry_tree.h"
#include "sys/sys.h"

namespace {

constexpr uint32_t kNoResources = 1450; // ERROR_NO_SYSTEM_RESOURCES

struct Registry {
    sys::posix::RegistryTree tree;
    sys::SystemTime now = fake::kDefaultSystemTime;
};

Registry& State() {
    static Registry state;
    return state;
}

} // namespace

namespace fake {

namespace detail {
void ResetRegistry() {
    State() = Registry{};
}
} // namespace detail

bool RegistryKeyExists(sys::RegistryRoot root, std::u16string_view path) {
    return State().tree.Find(root, path) != nullptr;
}

bool IsVolatileKey(sys::RegistryRoot root, std::u16string_view path) {
    const sys::posix::RegistryNode* node = State().tree.Find(root, path);
    return node != nullptr && node->lifetime == sys::KeyLifetime::Volatile;
}

size_t RegistryValueCount(sys::RegistryRoot root, std::u16string_view path) {
    const sys::posix::RegistryNode* node = State().tree.Find(root, path);
    return node == nullptr ? 0 : node->values.size();
}

std::vector<RegistryEntry> RegistryValuesOf(sys::RegistryRoot root, std::u16string_view path) {
    std::vector<RegistryEntry> entries;
    const sys::posix::RegistryNode* node = State().tree.Find(root, path);
    if (node == nullptr) return entries;
    for (const sys::posix::RegistryValue& value : node->values.InOrder())
        entries.push_back({value.name, value.type, value.data});
    return entries;
}

size_t OpenRegistryKeys() {
    return State().tree.OpenHandles();
}

void SetSystemTime(const sys::SystemTime& now) {
    State().now = now;
}

} // namespace fake

namespace sys {

RegistryKey RegistryRootKey(RegistryRoot root) {
    return State().tree.Root(root);
}

uint32_t CreateRegistryKey(RegistryKey parent, const char16_t* subKey, KeyLifetime lifetime,
                           RegistryKey* key) {
    if (auto code = fake::detail::FaultFor(fake::Call::RegistryCreate, kRegAccessDenied)) {
        if (key != nullptr) *key = nullptr;
        return *code;
    }
    return State().tree.Create(parent, subKey, lifetime, key);
}

uint32_t OpenRegistryKey(RegistryKey parent, const char16_t* subKey, RegistryKey* key) {
    if (auto code = fake::detail::FaultFor(fake::Call::RegistryOpen, kRegAccessDenied)) {
        if (key != nullptr) *key = nullptr;
        return *code;
    }
    return State().tree.Open(parent, subKey, key);
}

void CloseRegistryKey(RegistryKey key) {
    State().tree.Close(key);
}

uint32_t SetRegistryValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data,
                          uint32_t size) {
    if (auto code = fake::detail::FaultFor(fake::Call::RegistrySet, kNoResources)) return *code;
    return State().tree.SetValue(key, name, type, data, size);
}

uint32_t QueryRegistryValue(RegistryKey key, const char16_t* name, uint32_t* type, void* data,
                            uint32_t* size) {
    if (auto code = fake::detail::FaultFor(fake::Call::RegistryRead, kRegKeyDeleted)) return *code;
    return State().tree.QueryValue(key, name, type, data, size);
}

uint32_t EnumRegistryValue(RegistryKey key, uint32_t index, char16_t* name, uint32_t* nameLength,
                           uint32_t* type, void* data, uint32_t* size) {
    if (auto code = fake::detail::FaultFor(fake::Call::RegistryRead, kRegKeyDeleted)) return *code;
    return State().tree.EnumValue(key, index, name, nameLength, type, data, size);
}

uint32_t DeleteRegistryValue(RegistryKey key, const char16_t* name) {
    if (auto code = fake::detail::FaultFor(fake::Call::RegistryDelete, kRegAccessDenied))
        return *code;
    return State().tree.DeleteValue(key, name);
}

uint32_t DeleteRegistryKey(RegistryKey parent, const char16_t* subKey) {
    if (auto code = fake::detail::FaultFor(fake::Call::RegistryDelete, kRegAccessDenied))
        return *code;
    return State().tree.DeleteKey(parent, subKey);
}

SystemTime SystemTimeUtc() {
    return State().now;
}

} // namespace sys
