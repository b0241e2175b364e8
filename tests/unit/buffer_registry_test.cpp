// The per-process record of every buffer: the key, the value names and bytes, the readers that
// skip foreign values, and allocation and release that keep heap and records in step.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fake/fake_sys.h"
#include "frame/numbers.h"
#include "store/buffer_allocation.h"
#include "store/buffer_record.h"
#include "store/buffer_registry.h"
#include "store/process_key.h"
#include "store_test_fixture.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace {

using storetest::kProcessKeyPath;

class BufferRegistry : public storetest::StoreFixture {
protected:
    void TearDown() override {
        EXPECT_EQ(fake::OpenRegistryKeys(), 0u) << "a registry handle was left open";
        StoreFixture::TearDown();
    }

    static sys::RegistryKey ProcessKey() {
        sys::RegistryKey key = nullptr;
        EXPECT_EQ(sys::CreateRegistryKey(sys::RegistryRootKey(sys::RegistryRoot::CurrentUser),
                                         kProcessKeyPath, sys::KeyLifetime::Volatile, &key),
                  sys::kRegOk);
        return key;
    }

    // Puts a value into the per-process key as someone else might have.
    static void PutValue(const char16_t* name, uint32_t type, const std::vector<uint8_t>& data) {
        sys::RegistryKey key = ProcessKey();
        EXPECT_EQ(
            sys::SetRegistryValue(key, name, type, data.data(), static_cast<uint32_t>(data.size())),
            sys::kRegOk);
        sys::CloseRegistryKey(key);
    }

    static std::vector<uint8_t> RecordBytes(BufferAddress address, uint32_t size) {
        std::vector<uint8_t> bytes(kRecordBytes, 0);
        std::memcpy(bytes.data(), &address, sizeof address);
        std::memcpy(bytes.data() + sizeof address, &size, 4);
        return bytes;
    }

    static size_t ValueCount() {
        return fake::RegistryValueCount(sys::RegistryRoot::CurrentUser, kProcessKeyPath);
    }
};

TEST(BufferValueName, IsTheSignExtendedAddressInBase36) {
    struct Case {
        BufferAddress address;
        const char* name;
    } cases[] = {
        {0x00A41000, "6egao"},
#if defined(KV_WIDE_ADDRESSES) // the whole address, nothing to extend
        {0x80001000, "zik45c"},
        {0xFFFFFFF8, "1z141yw"},
        {0x00007F0000A41000, "1dhwt0edj4"},
        {0xFFFFFFFF80001000, "3w5e1116m8iyo"},
#else
        {0x80001000, "3w5e1116m8iyo"},
        {0x80000000, "3w5e1116m8fsw"},
        {0xFFFFFFF8, "3w5e11264sgs8"},
#endif
        {0x7FFFFFF8, "zik0zc"},
        {0x00010000, "1ekg"},
        {8, "8"},
        {35, "z"},
        {36, "10"},
    };
    for (const Case& c : cases) {
        char16_t name[kValueNameCapacity];
        BufferValueName(c.address, name);
        EXPECT_EQ(text::ToUtf8(name), c.name) << std::hex << c.address;
    }
}

TEST_F(BufferRegistry, TheProcessKeyIsVolatileBelowAnOrdinarySettingsKey) {
    // Loading created it.
    EXPECT_TRUE(fake::IsVolatileKey(sys::RegistryRoot::CurrentUser, kProcessKeyPath));
    EXPECT_TRUE(
        fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser, u"SOFTWARE\\RURoruved\\Korvanite"));
    EXPECT_FALSE(
        fake::IsVolatileKey(sys::RegistryRoot::CurrentUser, u"SOFTWARE\\RURoruved\\Korvanite"));

    // The process id in eight upper-case hexadecimal digits.
    fake::SetProcessId(0xBEEF);
    CreateProcessKey();
    EXPECT_TRUE(fake::IsVolatileKey(sys::RegistryRoot::CurrentUser,
                                    u"SOFTWARE\\RURoruved\\Korvanite\\0000BEEF"));
    fake::SetProcessId(0xFEDCBA98);
    sys::RegistryKey key = OpenProcessKey();
    EXPECT_NE(key, nullptr);
    sys::CloseRegistryKey(key);
    EXPECT_TRUE(fake::IsVolatileKey(sys::RegistryRoot::CurrentUser,
                                    u"SOFTWARE\\RURoruved\\Korvanite\\FEDCBA98"));
    DeleteProcessKey();
    EXPECT_FALSE(fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser,
                                         u"SOFTWARE\\RURoruved\\Korvanite\\FEDCBA98"));
    EXPECT_TRUE(fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser,
                                        u"SOFTWARE\\RURoruved\\Korvanite\\0000BEEF"));
    fake::SetProcessId(fake::kDefaultProcessId);
}

TEST_F(BufferRegistry, ARecordIsNamedAfterItsAddressAndHoldsAddressSizeAndUtcTime) {
    fake::SetNextHeapAddress(0x00A41000);
    ASSERT_EQ(AllocateBuffer(64), 0x00A41000u);

    sys::RegistryKey key = ProcessKey();
    uint8_t bytes[32] = {};
    uint32_t size = sizeof bytes;
    uint32_t type = 0;
    ASSERT_EQ(sys::QueryRegistryValue(key, u"6egao", &type, bytes, &size), sys::kRegOk);
    sys::CloseRegistryKey(key);
    EXPECT_EQ(type, sys::kRegBinary);
    // 00A41000, 64 (on 64 bits: an 8-byte address, and four zero bytes after the size), then
    // 2024-03 (Friday) 15 12:34:56.789 as eight 16-bit fields.
    std::vector<uint8_t> expected = {0x00, 0x10, 0xA4, 0x00, 0x40, 0x00, 0x00, 0x00};
    if constexpr (sizeof(BufferAddress) == 8)
        expected = {0x00, 0x10, 0xA4, 0, 0, 0, 0, 0, 0x40, 0, 0, 0, 0, 0, 0, 0};
    for (const uint8_t b : {0xE8, 0x07, 0x03, 0x00, 0x05, 0x00, 0x0F, 0x00, 0x0C, 0x00, 0x22, 0x00,
                            0x38, 0x00, 0x15, 0x03})
        expected.push_back(b);
    ASSERT_EQ(size, expected.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + size), expected);

    // The time is taken when the record is written.
    fake::SetSystemTime(sys::SystemTime{2031, 1, 3, 1, 0, 0, 0, 0});
    ASSERT_EQ(RecordBuffer(0x00A41000, 64), 1);
    BufferRecord* list = nullptr;
    ASSERT_EQ(ReadBufferRecords(list), 1);
    EXPECT_EQ(list[0].created.year, 2031);
    EXPECT_EQ(list[0].created.dayOfWeek, 3);
    FreeBufferRecords(list);
    EXPECT_EQ(list, nullptr);
}

TEST_F(BufferRegistry, ValuesOfAnotherTypeSizeOrNameLengthAreNoRecords) {
    PutValue(u"short", sys::kRegBinary, std::vector<uint8_t>(kRecordBytes - 1, 1));
    PutValue(u"long", sys::kRegBinary, std::vector<uint8_t>(kRecordBytes + 1, 1));
    // The record of the other address width (32 bytes on x86, 24 on x64).
    PutValue(u"other", sys::kRegBinary, std::vector<uint8_t>(56 - kRecordBytes, 1));
    PutValue(u"dword", sys::kRegDword, {8, 0, 0, 0});
    PutValue(u"text", sys::kRegString, RecordBytes(0x100, 8));
    PutValue(u"1ekg", sys::kRegBinary, RecordBytes(0x10000, 32));
    // A name longer than the reader's buffer must not hide the records after it.
    PutValue(std::u16string(1024, u'n').c_str(), sys::kRegBinary, RecordBytes(0x200, 8));
    // Readers go by the address field, not by the name.
    PutValue(u"foreign", sys::kRegBinary, RecordBytes(0x20000, 48));

    EXPECT_EQ(Records(), (std::set<std::pair<uint32_t, uint32_t>>{{0x10000, 32}, {0x20000, 48}}));
    EXPECT_EQ(IsListedBuffer(0x10000), 1);
    EXPECT_EQ(IsListedBuffer(0x20000), 1);
    EXPECT_EQ(ListedBufferSize(0x20000), 48u);
    for (uint32_t other : {0x100u, 0x200u, 0x30000u, 0x08u}) {
        EXPECT_EQ(IsListedBuffer(other), 0) << other;
        EXPECT_EQ(ListedBufferSize(other), 0u) << other;
    }
}

TEST_F(BufferRegistry, ReadingFreesTheListItWasGiven) {
    EXPECT_EQ(RecordBuffer(0x10000, 1), 1);
    EXPECT_EQ(RecordBuffer(0x20000, 2), 1);
    BufferRecord* list = nullptr;
    EXPECT_EQ(ReadBufferRecords(list), 2);
    EXPECT_EQ(ReadBufferRecords(list), 2); // the first list is freed, not leaked
    EXPECT_EQ(ForgetBuffer(0x10000), 0);
    EXPECT_EQ(ForgetBuffer(0x20000), 0);
    EXPECT_EQ(ReadBufferRecords(list), 0);
    EXPECT_EQ(list, nullptr);
}

TEST_F(BufferRegistry, WithoutAKeyTheBufferIsStillAllocatedButNotListed) {
    DeleteProcessKey();
    fake::PlanFault(fake::Call::RegistryCreate, 1, fake::kUsualCode, fake::kEveryCall);
    const uint32_t address = AllocateBuffer(100);
    ASSERT_NE(address, 0u);
    EXPECT_EQ(sys::HeapBlockSize(BufferAt(address)), 100u);
    EXPECT_EQ(RecordBuffer(address, 100), 0);
    EXPECT_EQ(IsListedBuffer(address), 0);
    BufferRecord* list = nullptr;
    EXPECT_EQ(ReadBufferRecords(list), 0);
    EXPECT_EQ(list, nullptr);
    EXPECT_FALSE(fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser, kProcessKeyPath));
    fake::ClearFaults();
}

TEST_F(BufferRegistry, AValueThatCannotBeSetLeavesTheBufferUnlisted) {
    fake::PlanFault(fake::Call::RegistrySet, 1, sys::kRegAccessDenied, fake::kEveryCall);
    const uint32_t address = AllocateBuffer(100);
    ASSERT_NE(address, 0u);
    EXPECT_EQ(RecordBuffer(address, 100), 0);
    fake::ClearFaults();
    EXPECT_EQ(IsListedBuffer(address), 0);
    EXPECT_EQ(fake::LiveHeapBlocks(), 1u);
}

TEST_F(BufferRegistry, NullAddressesAndSizes) {
    EXPECT_EQ(RecordBuffer(0, 10), -1);
    EXPECT_EQ(ForgetBuffer(0), -1);
    EXPECT_EQ(IsListedBuffer(0), 0);
    EXPECT_EQ(ListedBufferSize(0), 0u);
    EXPECT_EQ(FreeBuffer(0), 0u);
    EXPECT_EQ(AllocateBuffer(0), 0u);
    EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
    EXPECT_EQ(ValueCount(), 0u);
}

TEST_F(BufferRegistry, TheHeapRefusingGivesNoBufferAndNoRecord) {
    fake::PlanFault(fake::Call::HeapBlock, 1, fake::kUsualCode, fake::kEveryCall);
    EXPECT_EQ(AllocateBuffer(16), 0u);
    EXPECT_EQ(ValueCount(), 0u);
}

TEST_F(BufferRegistry, FreeingReleasesTheBlockAndForgetsTheRecord) {
    const uint32_t address = AllocateBuffer(300);
    ASSERT_NE(address, 0u);
    EXPECT_EQ(ListedBufferSize(address), 300u);
    EXPECT_EQ(FreeBuffer(address), 300u);
    EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
    EXPECT_EQ(ValueCount(), 0u);
    EXPECT_EQ(FreeBuffer(address), 0u); // nothing left to do
}

TEST_F(BufferRegistry, FreeingAnUnrecordedBlockReleasesItAndReturnsZero) {
    void* block = sys::HeapAllocZeroed(40);
    const uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
    EXPECT_EQ(ListedBufferSize(address), 0u);
    EXPECT_EQ(FreeBuffer(address), 0u);
    EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
}

TEST_F(BufferRegistry, AStaleRecordNeverReleasesTheBlockNowAtItsAddress) {
    // A record inherited from an earlier process with this id, at an address where a block of
    // another size lives now.
    void* block = sys::HeapAllocZeroed(4096);
    const uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
    ASSERT_EQ(RecordBuffer(address, 64), 1);
    EXPECT_EQ(FreeBuffer(address), 64u);
    EXPECT_EQ(sys::HeapBlockSize(block), 4096u);
    EXPECT_EQ(IsListedBuffer(address), 0);
    // A record whose block is gone altogether is simply forgotten.
    ASSERT_EQ(RecordBuffer(0x00F00000, 64), 1);
    EXPECT_EQ(FreeBuffer(0x00F00000), 64u);
    EXPECT_EQ(ValueCount(), 0u);
    EXPECT_EQ(fake::LiveHeapBlocks(), 1u);
}

TEST_F(BufferRegistry, RecordsOutliveAnUnloadButNotAShutdownThatRemovesThem) {
    const uint32_t first = AllocateBuffer(10);
    const uint32_t second = AllocateBuffer(20);
    host::UnloadPlugin(session, 0);
    ASSERT_EQ(Load(), host::LoadOutcome::Loaded);
    EXPECT_EQ(IsListedBuffer(first), 1);
    EXPECT_EQ(ListedBufferSize(second), 20u);

    host::UnloadPlugin(session, 1);
    EXPECT_FALSE(fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser, kProcessKeyPath));
    EXPECT_EQ(fake::LiveHeapBlocks(), 2u); // the buffers go with the process, not before
    ASSERT_EQ(Load(), host::LoadOutcome::Loaded);
    EXPECT_TRUE(fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser, kProcessKeyPath));
    EXPECT_EQ(IsListedBuffer(first), 0);
    EXPECT_EQ(ValueCount(), 0u);
}

TEST_F(BufferRegistry, ALoadThatCannotCreateTheKeyStillLoads) {
    host::UnloadPlugin(session, 1);
    fake::PlanFault(fake::Call::RegistryCreate, 1, fake::kUsualCode, fake::kEveryCall);
    EXPECT_EQ(Load(), host::LoadOutcome::Loaded);
    EXPECT_FALSE(fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser, kProcessKeyPath));
    fake::ClearFaults();
}

} // namespace
