// The fake system's heap must give real memory at the addresses tests name, the same in every
// run, and turn an overrun past a block's last page into a crash.
#include <cstdint>
#include <gtest/gtest.h>

#include "fake/fake_sys.h"
#include "sys/sys.h"

namespace {

class FakeHeap : public ::testing::Test {
protected:
    void SetUp() override { fake::Reset(); }
    void TearDown() override { fake::Reset(); }
};

uintptr_t AddressOf(const void* block) {
    return reinterpret_cast<uintptr_t>(block);
}

TEST_F(FakeHeap, PlacesBlocksAtFixedAddressesWithAGuardPageBetween) {
    struct Case {
        size_t size;
        uintptr_t address;
    };
    const Case cases[] = {{1024, 0x00A41000},
                          {4096, 0x00A43000},
                          {4097, 0x00A45000},
                          {0, 0x00A48000},
                          {8, 0x00A4A000}};
    for (const Case& c : cases) {
        auto* block = static_cast<unsigned char*>(sys::HeapAllocZeroed(c.size));
        EXPECT_EQ(AddressOf(block), c.address) << c.size;
        EXPECT_EQ(sys::HeapBlockSize(block), c.size);
        for (size_t i = 0; i < c.size; ++i) ASSERT_EQ(block[i], 0) << c.size;
        for (size_t i = 0; i < c.size; ++i) block[i] = 0xEE;
    }
    EXPECT_EQ(fake::LiveHeapBlocks(), 5u);
}

TEST_F(FakeHeap, ChosenAddressesAndRefusal) {
    fake::SetNextHeapAddress(0x00B00008);
    void* first = sys::HeapAllocZeroed(16);
    EXPECT_EQ(AddressOf(first), 0x00B00008u);
    EXPECT_EQ(sys::HeapBlockSize(static_cast<char*>(first) + 8), 0u);
    EXPECT_EQ(AddressOf(sys::HeapAllocZeroed(16)), 0x00B02000u); // follows the chosen block
    fake::SetNextHeapAddress(0x00B00100);                        // shares the first's page
    EXPECT_EQ(sys::HeapAllocZeroed(16), nullptr);
    fake::SetNextHeapAddress(0x00B10004); // not a multiple of 8
    EXPECT_EQ(sys::HeapAllocZeroed(16), nullptr);
    fake::PlanFault(fake::Call::HeapBlock, 1, fake::kUsualCode, fake::kEveryCall);
    EXPECT_EQ(sys::HeapAllocZeroed(16), nullptr);
    fake::ClearFaults();
    EXPECT_TRUE(sys::HeapRelease(first));
    EXPECT_FALSE(sys::HeapRelease(first));
    EXPECT_EQ(sys::HeapBlockSize(first), 0u);
}

TEST_F(FakeHeap, ResetReleasesEverythingAndStartsOver) {
    auto* block = static_cast<unsigned char*>(sys::HeapAllocZeroed(64));
    block[0] = 1;
    fake::Reset();
    EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
    auto* again = static_cast<unsigned char*>(sys::HeapAllocZeroed(64));
    EXPECT_EQ(again, block);
    EXPECT_EQ(again[0], 0);
}

TEST_F(FakeHeap, OverrunPastTheLastPageCrashes) {
    auto* block = static_cast<volatile unsigned char*>(sys::HeapAllocZeroed(4096));
    ASSERT_NE(block, nullptr);
    EXPECT_DEATH(block[4096] = 1, "");
}

} // namespace
