// The library entry point: it only remembers which module this is.
#include "frame/plugin_state.h"

#if defined(_WIN32)
// Declared by hand so that no platform header enters the plug-in's code.
extern "C" int __stdcall DllMain(void* instance, unsigned long reason, void* /*reserved*/) {
    constexpr unsigned long kProcessAttach = 1;
    if (reason == kProcessAttach) ModuleInstance = instance;
    return 1;
}
#else
namespace {
// Runs when the shared library is mapped, as DllMain's process attach does on Windows.
__attribute__((constructor)) void AttachLibrary() {
    ModuleInstance = reinterpret_cast<const void*>(&AttachLibrary);
}
} // namespace
#endif
