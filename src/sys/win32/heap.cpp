// Blocks of the process's default heap. Asking about an address must be safe for any address,
// so it is checked to lie in committed, readable memory (with the block header before it) before
// the heap itself is asked whether a block starts there.
#include <cstdint>

#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {
namespace {

// The heap keeps its block header right before the block.
constexpr size_t kHeaderBytes = 2 * sizeof(void*);

bool IsReadableProtection(DWORD protect) {
    if ((protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) return false;
    return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                       PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

// Whether every byte of [start, start + size) is committed and readable.
bool IsReadableRange(uintptr_t start, size_t size) {
    uintptr_t end = start + size;
    if (end < start) return false;
    while (start < end) {
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(reinterpret_cast<const void*>(start), &region, sizeof region) == 0)
            return false;
        if (region.State != MEM_COMMIT || !IsReadableProtection(region.Protect)) return false;
        uintptr_t regionEnd = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (regionEnd <= start) return false;
        start = regionEnd;
    }
    return true;
}

bool IsLiveBlock(const void* address) {
    uintptr_t start = reinterpret_cast<uintptr_t>(address);
    if (start == 0 || start % 8 != 0 || start < kHeaderBytes) return false;
    if (!IsReadableRange(start - kHeaderBytes, kHeaderBytes + 1)) return false;
    return HeapValidate(GetProcessHeap(), 0, address) != 0;
}

} // namespace

void* HeapAllocZeroed(size_t size) {
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

// Only a live block is handed to HeapFree, which corrupts the heap when given anything else.
bool HeapRelease(void* block) {
    return IsLiveBlock(block) && HeapFree(GetProcessHeap(), 0, block) != 0;
}

size_t HeapBlockSize(const void* address) {
    if (!IsLiveBlock(address)) return 0;
    SIZE_T size = HeapSize(GetProcessHeap(), 0, address);
    return size == static_cast<SIZE_T>(-1) ? 0 : size;
}

} // namespace sys
