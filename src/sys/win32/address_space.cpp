// Keeping the address space below 4 GiB, and the heap's room there, out of later use (a test
// host's aid for 64-bit handles).
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

#if defined(_WIN64)
namespace {

constexpr uintptr_t kLimit = uintptr_t{1} << 32;

// The process heap's segments below 4 GiB still have room for small blocks: take it, largest
// pieces first, until the heap answers from above, and keep it (a test host's deliberate leak of
// what was free there).
void UseUpLowHeap() {
    HANDLE heap = GetProcessHeap();
    for (size_t size = 64 * 1024; size >= 1; size /= 4) {
        for (;;) {
            void* block = HeapAlloc(heap, 0, size);
            if (block == nullptr) break;
            if (reinterpret_cast<uintptr_t>(block) >= kLimit) {
                HeapFree(heap, 0, block);
                break;
            }
        }
    }
}

} // namespace
#endif

uint64_t ReserveLowAddressSpace() {
#if defined(_WIN64)
    uint64_t reserved = 0;
    uintptr_t at = 0x10000; // the first 64 KiB are never mapped
    while (at < kLimit) {
        MEMORY_BASIC_INFORMATION region;
        if (VirtualQuery(reinterpret_cast<void*>(at), &region, sizeof region) == 0) break;
        const uintptr_t base = reinterpret_cast<uintptr_t>(region.BaseAddress);
        uintptr_t end = base + region.RegionSize;
        if (end > kLimit) end = kLimit;
        // A free range starts on a 64 KiB boundary (the allocation granularity), as VirtualAlloc
        // needs; a reservation that fails leaves the range as it was.
        if (region.State == MEM_FREE &&
            VirtualAlloc(reinterpret_cast<void*>(base), end - base, MEM_RESERVE, PAGE_NOACCESS))
            reserved += end - base;
        at = end;
    }
    UseUpLowHeap();
    return reserved;
#else
    return 0;
#endif
}

void TakeLowHeapRoom() {
#if defined(_WIN64)
    UseUpLowHeap();
#endif
}

} // namespace sys
