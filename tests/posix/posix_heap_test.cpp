// The native heap: blocks below 4 GiB, 8-aligned, zero-filled, and a block table that answers
// only for exact, live block starts.
#include <cstdint>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "sys/sys.h"

namespace {

constexpr uint64_t kAddressLimit = uint64_t{1} << 32;

bool AllZero(const unsigned char* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

// Below 4 GiB for 32-bit handles; above it for 64-bit ones, so that a cut handle shows. Blocks
// of 2 MiB and more start on a huge page's boundary, so that they can lie in huge pages.
TEST(PosixHeap, BlocksLieOnTheirSideOf4GiBAlignedAndZeroFilled) {
    constexpr size_t kHugePage = size_t{2} << 20;
    for (size_t size : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{4095}, size_t{4096},
                        size_t{4097}, size_t{1} << 20, kHugePage, 4 * kHugePage + 1}) {
        SCOPED_TRACE(size);
        auto* block = static_cast<unsigned char*>(sys::HeapAllocZeroed(size));
        ASSERT_NE(block, nullptr);
        uintptr_t address = reinterpret_cast<uintptr_t>(block);
        EXPECT_EQ(address % (size >= kHugePage ? kHugePage : 8), 0u);
#if defined(KV_WIDE_HANDLES)
        EXPECT_GE(static_cast<uint64_t>(address), kAddressLimit);
#else
        EXPECT_LE(static_cast<uint64_t>(address) + size, kAddressLimit);
#endif
        EXPECT_TRUE(AllZero(block, size));
        for (size_t i = 0; i < size; ++i) block[i] = 0xA5;
        EXPECT_EQ(sys::HeapBlockSize(block), size);
        EXPECT_TRUE(sys::HeapRelease(block));
        EXPECT_EQ(sys::HeapBlockSize(block), 0u);
    }
}

TEST(PosixHeap, ReusedMemoryIsZeroAgain) {
    for (int round = 0; round < 4; ++round) {
        auto* block = static_cast<unsigned char*>(sys::HeapAllocZeroed(64));
        ASSERT_NE(block, nullptr);
        EXPECT_TRUE(AllZero(block, 64));
        for (int i = 0; i < 64; ++i) block[i] = 0xFF;
        EXPECT_TRUE(sys::HeapRelease(block));
    }
}

TEST(PosixHeap, BlockSizeAnswersOnlyForExactLiveStarts) {
    auto* block = static_cast<unsigned char*>(sys::HeapAllocZeroed(100));
    ASSERT_NE(block, nullptr);
    int onStack = 0;
    EXPECT_EQ(sys::HeapBlockSize(block), 100u);
    EXPECT_EQ(sys::HeapBlockSize(block + 8), 0u);
    EXPECT_EQ(sys::HeapBlockSize(block + 1), 0u);
    EXPECT_EQ(sys::HeapBlockSize(block - 8), 0u);
    EXPECT_EQ(sys::HeapBlockSize(nullptr), 0u);
    EXPECT_EQ(sys::HeapBlockSize(&onStack), 0u);
    // Addresses that are not mapped at all must be safe to ask about.
    EXPECT_EQ(sys::HeapBlockSize(reinterpret_cast<const void*>(uintptr_t{0x10})), 0u);
    EXPECT_EQ(sys::HeapBlockSize(reinterpret_cast<const void*>(uintptr_t{0xFFFFFFF8})), 0u);
    EXPECT_TRUE(sys::HeapRelease(block));
}

TEST(PosixHeap, ReleaseRefusesUnknownAddresses) {
    int onStack = 0;
    EXPECT_FALSE(sys::HeapRelease(nullptr));
    EXPECT_FALSE(sys::HeapRelease(&onStack));
    auto* block = static_cast<unsigned char*>(sys::HeapAllocZeroed(32));
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(sys::HeapRelease(block + 8));
    EXPECT_EQ(sys::HeapBlockSize(block), 32u);
    EXPECT_TRUE(sys::HeapRelease(block));
    EXPECT_FALSE(sys::HeapRelease(block));
}

TEST(PosixHeap, RefusesSizesThatCannotFitBelow4GiB) {
#if defined(KV_WIDE_HANDLES) // above it, the largest buffer fits (and costs no memory untouched)
    void* largest = sys::HeapAllocZeroed(static_cast<size_t>(kAddressLimit - 1));
    ASSERT_NE(largest, nullptr);
    EXPECT_EQ(sys::HeapBlockSize(largest), kAddressLimit - 1);
    EXPECT_TRUE(sys::HeapRelease(largest));
#else
    EXPECT_EQ(sys::HeapAllocZeroed(static_cast<size_t>(kAddressLimit)), nullptr);
#endif
    EXPECT_EQ(sys::HeapAllocZeroed(SIZE_MAX), nullptr);
}

TEST(PosixHeap, ManyLiveBlocksAreDistinct) {
    std::vector<void*> blocks;
    for (int i = 0; i < 300; ++i) {
        void* block = sys::HeapAllocZeroed(24);
        ASSERT_NE(block, nullptr);
        blocks.push_back(block);
    }
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(sys::HeapBlockSize(blocks[i]), 24u);
        for (size_t j = i + 1; j < blocks.size(); ++j) EXPECT_NE(blocks[i], blocks[j]);
    }
    for (void* block : blocks) EXPECT_TRUE(sys::HeapRelease(block));
}

TEST(PosixHeap, TableStaysConsistentUnderConcurrentUse) {
    std::vector<std::thread> workers;
    std::vector<int> failures(4, 0);
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([w, &failures] {
            for (int i = 0; i < 500; ++i) {
                size_t size = static_cast<size_t>(w * 1000 + i);
                void* block = sys::HeapAllocZeroed(size);
                if (block == nullptr || sys::HeapBlockSize(block) != size ||
                    !sys::HeapRelease(block))
                    ++failures[w];
            }
        });
    for (std::thread& worker : workers) worker.join();
    for (int failed : failures) EXPECT_EQ(failed, 0);
}

} // namespace
