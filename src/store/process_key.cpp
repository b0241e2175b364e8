#include "store/process_key.h"

#include "frame/plugin_identity.h"
#include "text/format.h"

namespace {

// Registry names are formed in buffers of this many characters.
constexpr int kKeyNameCapacity = 1024;

sys::RegistryKey CurrentUser() {
    return sys::RegistryRootKey(sys::RegistryRoot::CurrentUser);
}

} // namespace

sys::RegistryKey OpenProcessKey() {
    char16_t name[kKeyNameCapacity];
    text::Format(name, kKeyNameCapacity, u"SOFTWARE\\RURoruved\\%s", plugin::kName);
    sys::RegistryKey settings = nullptr;
    if (sys::CreateRegistryKey(CurrentUser(), name, sys::KeyLifetime::Ordinary, &settings) !=
        sys::kRegOk)
        return nullptr;

    text::Format(name, kKeyNameCapacity, u"%08X", sys::ProcessId());
    sys::RegistryKey process = nullptr;
    if (sys::CreateRegistryKey(settings, name, sys::KeyLifetime::Volatile, &process) != sys::kRegOk)
        process = nullptr;
    sys::CloseRegistryKey(settings);
    return process;
}

void CreateProcessKey() {
    sys::CloseRegistryKey(OpenProcessKey());
}

void DeleteProcessKey() {
    char16_t name[kKeyNameCapacity];
    text::Format(name, kKeyNameCapacity, u"SOFTWARE\\RURoruved\\%s\\%08X", plugin::kName,
                 sys::ProcessId());
    (void)sys::DeleteRegistryKey(CurrentUser(), name);
}
