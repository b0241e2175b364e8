// The registry through the Reg* calls. Keys are created with the rights the plug-in needs and no
// more: read, create sub-keys and set values.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {
namespace {

constexpr REGSAM kCreateRights = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

HKEY KeyOf(RegistryKey key) {
    return static_cast<HKEY>(key);
}

bool IsRootKey(HKEY key) {
    return key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE;
}

} // namespace

RegistryKey RegistryRootKey(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

uint32_t CreateRegistryKey(RegistryKey parent, const char16_t* subKey, KeyLifetime lifetime,
                           RegistryKey* key) {
    if (key == nullptr) return ERROR_INVALID_PARAMETER;
    const DWORD options =
        lifetime == KeyLifetime::Volatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE;
    HKEY created = nullptr;
    const LONG result = RegCreateKeyExW(KeyOf(parent), win32::Wide(subKey), 0, nullptr, options,
                                        kCreateRights, nullptr, &created, nullptr);
    *key = result == ERROR_SUCCESS ? created : nullptr;
    return static_cast<uint32_t>(result);
}

uint32_t OpenRegistryKey(RegistryKey parent, const char16_t* subKey, RegistryKey* key) {
    if (key == nullptr) return ERROR_INVALID_PARAMETER;
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExW(KeyOf(parent), win32::Wide(subKey), 0, KEY_READ, &opened);
    *key = result == ERROR_SUCCESS ? opened : nullptr;
    return static_cast<uint32_t>(result);
}

void CloseRegistryKey(RegistryKey key) {
    if (key != nullptr && !IsRootKey(KeyOf(key))) RegCloseKey(KeyOf(key));
}

uint32_t SetRegistryValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data,
                          uint32_t size) {
    return static_cast<uint32_t>(RegSetValueExW(KeyOf(key), win32::Wide(name), 0, type,
                                                static_cast<const BYTE*>(data), size));
}

uint32_t QueryRegistryValue(RegistryKey key, const char16_t* name, uint32_t* type, void* data,
                            uint32_t* size) {
    DWORD valueType = 0;
    DWORD length = size != nullptr ? *size : 0;
    const LONG result =
        RegQueryValueExW(KeyOf(key), win32::Wide(name), nullptr, &valueType,
                         static_cast<BYTE*>(data), size != nullptr ? &length : nullptr);
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = length;
    return static_cast<uint32_t>(result);
}

uint32_t EnumRegistryValue(RegistryKey key, uint32_t index, char16_t* name, uint32_t* nameLength,
                           uint32_t* type, void* data, uint32_t* size) {
    if (name == nullptr || nameLength == nullptr) return ERROR_INVALID_PARAMETER;
    DWORD valueType = 0;
    DWORD nameUnits = *nameLength;
    DWORD length = size != nullptr ? *size : 0;
    const LONG result =
        RegEnumValueW(KeyOf(key), index, win32::Wide(name), &nameUnits, nullptr, &valueType,
                      static_cast<BYTE*>(data), size != nullptr ? &length : nullptr);
    *nameLength = nameUnits;
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = length;
    return static_cast<uint32_t>(result);
}

uint32_t DeleteRegistryValue(RegistryKey key, const char16_t* name) {
    return static_cast<uint32_t>(RegDeleteValueW(KeyOf(key), win32::Wide(name)));
}

uint32_t DeleteRegistryKey(RegistryKey parent, const char16_t* subKey) {
    if (subKey == nullptr || subKey[0] == 0) return ERROR_INVALID_PARAMETER;
    return static_cast<uint32_t>(RegDeleteKeyW(KeyOf(parent), win32::Wide(subKey)));
}

} // namespace sys
