// Shared libraries (DLLs).
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

Handle LoadSharedLibrary(const char16_t* path) {
    if (path == nullptr || path[0] == 0) return nullptr;
    return LoadLibraryW(win32::Wide(path));
}

void* FindSymbol(Handle library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void FreeSharedLibrary(Handle library) {
    if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

const char16_t* PluginLibraryName() {
#if defined(_WIN64)
    return u"Korvanite-x64.dll";
#else
    return u"Korvanite-x86.dll";
#endif
}

} // namespace sys
