// The process heap of this port: every block is its own zero-filled anonymous mapping below
// 4 GiB, so that its address fits the 32-bit buffer handles; built for 64-bit handles, above
// 4 GiB, so that an address cut to 32 bits names no block. The table of live blocks lives in
// this one shared library, so that the host and the plug-in see the same heap, as they share the
// process heap on Windows. The table is never freed: blocks may be released during exit.
#include <cstdint>
#include <map>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

#include "sys/sys.h"

namespace sys {
namespace {

constexpr uint64_t kAddressLimit = uint64_t{1} << 32;

struct BlockTable {
    std::mutex lock;
    std::map<uintptr_t, size_t> requestedSizes;
    uintptr_t nextHint = 0x10000000;
};

BlockTable& Blocks() {
    static BlockTable* table = new BlockTable;
    return *table;
}

size_t PageSize() {
    static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

// The length mapped for a block: whole pages, at least one (a block of 0 bytes has an address).
size_t MappedLength(size_t size) {
    size_t page = PageSize();
    if (size == 0) size = 1;
    return (size + page - 1) / page * page;
}

bool LiesBelowLimit(const void* start, size_t length) {
    return reinterpret_cast<uintptr_t>(start) != 0 &&
           static_cast<uint64_t>(reinterpret_cast<uintptr_t>(start)) + length <= kAddressLimit;
}

void* MapAnonymous(void* hint, size_t length, int extraFlags) {
    void* mapped =
        mmap(hint, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | extraFlags, -1, 0);
    return mapped == MAP_FAILED ? nullptr : mapped;
}

// Where MAP_32BIT is missing or its 2 GiB are used up, a hint below 4 GiB usually places the
// mapping there; the kernel ignores a hint it cannot honour, so every result is checked.
void* MapWithHints(size_t length, uintptr_t& nextHint) {
    constexpr uintptr_t kHintStep = 0x08000000;
    for (uintptr_t attempt = 0; attempt < 32; ++attempt) {
        uintptr_t hint = attempt == 0 ? nextHint : attempt * kHintStep;
        void* mapped = MapAnonymous(reinterpret_cast<void*>(hint), length, 0);
        if (mapped == nullptr) return nullptr;
        if (LiesBelowLimit(mapped, length)) {
            nextHint = reinterpret_cast<uintptr_t>(mapped) + length;
            return mapped;
        }
        munmap(mapped, length);
    }
    return nullptr;
}

[[maybe_unused]] void* MapBelowLimit(size_t length, uintptr_t& nextHint) {
#if defined(MAP_32BIT)
    if (void* mapped = MapAnonymous(nullptr, length, MAP_32BIT)) {
        if (LiesBelowLimit(mapped, length)) return mapped;
        munmap(mapped, length);
    }
#endif
    return MapWithHints(length, nextHint);
}

#if defined(KV_WIDE_HANDLES)
// The kernel maps far above 4 GiB by itself; a hint there covers a process whose mappings start
// low.
void* MapAboveLimit(size_t length) {
    constexpr uintptr_t kHighHint = uintptr_t{0x12} << 40;
    for (void* hint : {static_cast<void*>(nullptr), reinterpret_cast<void*>(kHighHint)}) {
        void* mapped = MapAnonymous(hint, length, 0);
        if (mapped == nullptr) return nullptr;
        if (reinterpret_cast<uintptr_t>(mapped) >= kAddressLimit) return mapped;
        munmap(mapped, length);
    }
    return nullptr;
}
#endif

void* MapPlainBlock(size_t length, uintptr_t& nextHint) {
#if defined(KV_WIDE_HANDLES)
    (void)nextHint;
    return MapAboveLimit(length);
#else
    return MapBelowLimit(length, nextHint);
#endif
}

// A block of a huge page or more lies in huge pages where the kernel has them: a buffer of
// several MiB is then supplied and mapped in a few pieces instead of a page fault per 4 KiB,
// which loading, filling or listing it would otherwise spend much of its time on (in a virtual
// machine most of all). Huge pages must start on their own boundary: a huge page more is mapped
// and what lies outside the aligned block given back.
void* MapBlock(size_t length, uintptr_t& nextHint) {
#if defined(MADV_HUGEPAGE)
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    if (length >= kHugePage) {
        if (void* mapped = MapPlainBlock(length + kHugePage, nextHint)) {
            const uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
            const uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
            if (aligned > start) munmap(mapped, aligned - start);
            munmap(reinterpret_cast<void*>(aligned + length), start + kHugePage - aligned);
            madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
            return reinterpret_cast<void*>(aligned);
        }
    }
#endif
    return MapPlainBlock(length, nextHint);
}

} // namespace

void* HeapAllocZeroed(size_t size) {
#if !defined(KV_WIDE_HANDLES) // above 4 GiB there is room for any size a buffer can have
    if (size >= kAddressLimit - PageSize()) return nullptr;
#endif
    size_t length = MappedLength(size);
    BlockTable& table = Blocks();
    std::lock_guard<std::mutex> guard(table.lock);
    void* block = MapBlock(length, table.nextHint);
    if (block == nullptr) return nullptr;
    table.requestedSizes[reinterpret_cast<uintptr_t>(block)] = size;
    return block;
}

bool HeapRelease(void* block) {
    BlockTable& table = Blocks();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.requestedSizes.find(reinterpret_cast<uintptr_t>(block));
    if (found == table.requestedSizes.end()) return false;
    munmap(block, MappedLength(found->second));
    table.requestedSizes.erase(found);
    return true;
}

size_t HeapBlockSize(const void* address) {
    BlockTable& table = Blocks();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.requestedSizes.find(reinterpret_cast<uintptr_t>(address));
    return found == table.requestedSizes.end() ? 0 : found->second;
}

} // namespace sys
