// The registry of this port: one tree in this shared library's memory, so that the host and the
// plug-in see the same keys, as they share the registry on Windows. Nothing is written to disk:
// every key, volatile or not, vanishes with the process. The tree is never freed, like the heap
// table, so that keys stay usable during exit.
#include <mutex>

#include "sys/posix/registry_tree.h"
#include "sys/sys.h"

namespace sys {
namespace {

struct Registry {
    std::mutex lock;
    posix::RegistryTree tree;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

RegistryKey RegistryRootKey(RegistryRoot root) {
    return TheRegistry().tree.Root(root);
}

uint32_t CreateRegistryKey(RegistryKey parent, const char16_t* subKey, KeyLifetime lifetime,
                           RegistryKey* key) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.tree.Create(parent, subKey, lifetime, key);
}

uint32_t OpenRegistryKey(RegistryKey parent, const char16_t* subKey, RegistryKey* key) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.tree.Open(parent, subKey, key);
}

void CloseRegistryKey(RegistryKey key) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.tree.Close(key);
}

uint32_t SetRegistryValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data,
                          uint32_t size) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.tree.SetValue(key, name, type, data, size);
}

uint32_t QueryRegistryValue(RegistryKey key, const char16_t* name, uint32_t* type, void* data,
                            uint32_t* size) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.tree.QueryValue(key, name, type, data, size);
}

uint32_t EnumRegistryValue(RegistryKey key, uint32_t index, char16_t* name, uint32_t* nameLength,
                           uint32_t* type, void* data, uint32_t* size) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.tree.EnumValue(key, index, name, nameLength, type, data, size);
}

uint32_t DeleteRegistryValue(RegistryKey key, const char16_t* name) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.tree.DeleteValue(key, name);
}

uint32_t DeleteRegistryKey(RegistryKey parent, const char16_t* subKey) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.tree.DeleteKey(parent, subKey);
}

} // namespace sys
