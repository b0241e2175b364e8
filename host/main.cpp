// plughost: the stand-in host command processor. The work is done by the services library, so
// that the plug-in and the host share one set of host state.
#include "entry/host_api.h"
#include "plugin/low_heap_room.h"
#include "sys/sys.h"

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows arguments are UTF-16");
    // Before the plug-in loads: on x64 the heap's new blocks then lie above 4 GiB, so that the
    // tests meet handles that 32 bits cannot hold.
    if (host::TakesLowHeapRoom()) sys::ReserveLowAddressSpace();
    return HostMain(argc, reinterpret_cast<const char16_t* const*>(argv));
}
#else
int main(int argc, char** argv) {
    return HostMainUtf8(argc, argv);
}
#endif
