// Shared libraries through the dynamic loader.
#include <dlfcn.h>
#include <string>

#include "sys/sys.h"
#include "text/u16.h"

namespace sys {

Handle LoadSharedLibrary(const char16_t* path) {
    if (path == nullptr || path[0] == 0) return nullptr;
    std::string bytes = text::ToUtf8(path);
    return dlopen(bytes.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindSymbol(Handle library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    return dlsym(library, name);
}

void FreeSharedLibrary(Handle library) {
    if (library != nullptr) dlclose(library);
}

const char16_t* PluginLibraryName() {
    return u"Korvanite.so";
}

} // namespace sys
