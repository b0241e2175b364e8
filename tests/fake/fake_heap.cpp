// A heap of real, zero-filled memory at addresses the test controls. Each block is its own
// anonymous mapping placed exactly (never over an existing mapping), so that an address like
// 0x00A41000 is a real block that code can read and write through.
#include <cstdint>
#include <iterator>
#include <map>
#include <sys/mman.h>
#include <unistd.h>

#include "fake/fake_sys.h"
#include "fake/fake_topics.h"
#include "sys/sys.h"

#if !defined(MAP_FIXED_NOREPLACE)
#define MAP_FIXED_NOREPLACE 0x100000
#endif

namespace {

constexpr uint64_t kAddressLimit = uint64_t{1} << 32;
// Where a test may place a block: below 4 GiB for 32-bit handles, anywhere a user address can
// be for 64-bit ones.
#if defined(KV_WIDE_HANDLES)
constexpr uint64_t kPlacementLimit = uint64_t{1} << 47;
#else
constexpr uint64_t kPlacementLimit = kAddressLimit;
#endif
constexpr size_t kHugePage = size_t{2} << 20;
// How far the default placement looks past pages that something else already uses.
constexpr int kPlacementAttempts = 4096;

struct Block {
    size_t requested;
    uintptr_t mapStart;
    size_t mapLength;
};

struct Heap {
    std::map<uintptr_t, Block> blocks;
    uintptr_t cursor = fake::kFirstHeapAddress;
    bool exactNext = false;
    size_t largest = SIZE_MAX;
};

Heap& State() {
    static Heap state;
    return state;
}

uintptr_t PageSize() {
    static const uintptr_t size = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    return size;
}

uintptr_t PageFloor(uintptr_t address) {
    return address / PageSize() * PageSize();
}
uintptr_t PageCeil(uint64_t address) {
    return static_cast<uintptr_t>((address + PageSize() - 1) / PageSize() * PageSize());
}

bool OverlapsLiveBlock(uintptr_t start, size_t length) {
    for (const auto& [address, block] : State().blocks)
        if (start < block.mapStart + block.mapLength && block.mapStart < start + length)
            return true;
    return false;
}

// Maps [start, start + length) exactly, or nothing.
bool MapExactly(uintptr_t start, size_t length) {
    if (OverlapsLiveBlock(start, length)) return false;
    void* wanted = reinterpret_cast<void*>(start);
    void* mapped = mmap(wanted, length, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (mapped == MAP_FAILED) return false;
    // A kernel without MAP_FIXED_NOREPLACE takes it as a hint and may map elsewhere.
    if (mapped != wanted) {
        munmap(mapped, length);
        return false;
    }
    // Large blocks in huge pages where the system gives them: a harness that forks (the fault
    // sweep) then shares them in few page-table entries. A refusal changes nothing else.
    if (length >= kHugePage) (void)madvise(wanted, length, MADV_HUGEPAGE);
    return true;
}

// Places a block at `address`; returns whether it could.
bool PlaceBlock(uintptr_t address, size_t size) {
    uint64_t end = static_cast<uint64_t>(address) + (size == 0 ? 1 : size);
    if (address == 0 || address % 8 != 0 || end > kPlacementLimit) return false;
    uintptr_t mapStart = PageFloor(address);
    size_t mapLength = PageCeil(end) - mapStart;
    if (!MapExactly(mapStart, mapLength)) return false;
    State().blocks[address] = Block{size, mapStart, mapLength};
    // The next block begins after one unmapped guard page.
    State().cursor = mapStart + mapLength + PageSize();
    return true;
}

} // namespace

namespace fake {

namespace detail {
void ResetHeap() {
    for (const auto& [address, block] : State().blocks)
        munmap(reinterpret_cast<void*>(block.mapStart), block.mapLength);
    State() = Heap{};
}
} // namespace detail

void SetNextHeapAddress(uintptr_t address) {
    State().cursor = address;
    State().exactNext = true;
}

void SetLargestHeapBlock(size_t size) {
    State().largest = size;
}

size_t LiveHeapBlocks() {
    return State().blocks.size();
}

std::vector<HeapBlock> LiveHeapBlockList() {
    std::vector<HeapBlock> list;
    for (const auto& [address, block] : State().blocks) list.push_back({address, block.requested});
    return list;
}

} // namespace fake

namespace sys {

void* HeapAllocZeroed(size_t size) {
    Heap& heap = State();
    if (fake::detail::FaultFor(fake::Call::HeapBlock, 8)) return nullptr;
    if (size >= kAddressLimit || size > heap.largest) return nullptr;
    uintptr_t address = heap.cursor;
    if (heap.exactNext) {
        heap.exactNext = false;
        return PlaceBlock(address, size) ? reinterpret_cast<void*>(address) : nullptr;
    }
    for (int attempt = 0; attempt < kPlacementAttempts; ++attempt) {
        if (PlaceBlock(address, size)) return reinterpret_cast<void*>(address);
        address = PageFloor(address) + PageSize();
    }
    return nullptr;
}

bool HeapRelease(void* block) {
    auto found = State().blocks.find(reinterpret_cast<uintptr_t>(block));
    if (found == State().blocks.end()) return false;
    munmap(reinterpret_cast<void*>(found->second.mapStart), found->second.mapLength);
    State().blocks.erase(found);
    return true;
}

size_t HeapBlockSize(const void* address) {
    auto found = State().blocks.find(reinterpret_cast<uintptr_t>(address));
    return found == State().blocks.end() ? 0 : found->second.requested;
}

// The fake heap places its blocks itself.
void TakeLowHeapRoom() {}

} // namespace sys
