// @BALLOC, @BFREE, @BFREEALL, @BSIZE, _BBLASTERR and _BLOADSIZE through their exports: result
// texts, messages, and what happens to the heap and the records.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "store/buffer_registry.h"
#include "store/last_transfer.h"
#include "store_test_fixture.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace {

class StoreExports : public storetest::StoreFixture {
protected:
    // A block of the heap that has no record, as the host or another plug-in might own.
    static uint32_t UnrecordedBlock(size_t size) {
        void* block = sys::HeapAllocZeroed(size);
        EXPECT_NE(block, nullptr);
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
    }

    static std::string Hex(BufferAddress address) { return storetest::HandleText(address); }
};

// ---- @BALLOC ---------------------------------------------------------------------------------

TEST_F(StoreExports, BallocAllocatesTheSizeItsArgumentGives) {
    struct Case {
        const char16_t* argument;
        uint32_t size;
    } cases[] = {
        {u"1K", 1024},     {u"1k", 1000},       {u"0", 64},     {u"0G", 64},
        {u" 2KW\t", 4096}, {u"3 MD", 12582912}, {u"100b", 100}, {u"0x10B", 267},
        {u"0x10K", 16384}, {u"1", 1},           {u"0o17", 15},  {u"017", 17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        const storetest::Call call = Invoke(f_balloc, c.argument);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(fake::StdErr(), "");
        ASSERT_EQ(call.text.size(), size_t{kHandleDigits});
        const BufferAddress address = storetest::AddressOfHandle(call.text);
        EXPECT_EQ(call.text, Hex(address)); // upper case, all digits
        EXPECT_EQ(ListedBufferSize(address), c.size);
        EXPECT_EQ(sys::HeapBlockSize(BufferAt(address)), c.size);
        EXPECT_EQ(Invoke(f_bsize, text::FromUtf8(call.text)).text, std::to_string(c.size));
        for (uint32_t i = 0; i < c.size; i += 997) ASSERT_EQ(BufferAt(address)[i], 0);
    }
}

TEST_F(StoreExports, BallocGivesAllDigitsEvenForALowAddress) {
    fake::SetNextHeapAddress(0x00010000);
    EXPECT_EQ(Invoke(f_balloc, u"8").text, storetest::kHandleZeros + "00010000");
    fake::SetNextHeapAddress(0x00A41000);
    EXPECT_EQ(Invoke(f_balloc, u"1K").text, storetest::kHandleZeros + "00A41000");
}

#if defined(KV_WIDE_ADDRESSES)
TEST_F(StoreExports, AHandleAbove4GiBIsTheWholeAddress) {
    fake::SetNextHeapAddress(0x0000001200A41000);
    ASSERT_EQ(Invoke(f_balloc, u"64").text, "0000001200A41000");
    EXPECT_EQ(Invoke(f_bpokex, u"1200a41000,8,2,0x1234").result, 0);
    EXPECT_EQ(Invoke(f_bpeekx, u"0x0000001200A41000,8,2,3").text, "1234");
    EXPECT_EQ(Invoke(f_bpeekx, u"00A41000,8,2").result, -1); // the low half names nothing
    EXPECT_EQ(Invoke(f_bfree, u"00A41000,1").result, -1);
    EXPECT_EQ(Invoke(f_bfree, u"1200A41000").text, "0");
}
#endif

TEST_F(StoreExports, BallocReportsBadSizes) {
    struct Case {
        const char16_t* argument;
        const char* message;
    } cases[] = {
        {u"", "Missing size"},
        {u" \t ", "Missing size"},
        {u"abc", "Bad size: \"ABC\""},
        {u"-5", "Bad size: \"-5\""},
        {u"4294967296", "Bad size: \"4294967296\""},
        {u"5x", "Unknown unit: \"X\""},
        {u"5 K B", "Unknown unit: \"K B\""},
        {u"2kbx", "Unknown unit: \"KBX\""},
        {u"4G", "Value overflow: \"4G\""},
        {u"1gq", "Value overflow: \"1GQ\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        const storetest::Call call = Invoke(f_balloc, c.argument);
        EXPECT_EQ(call.result, -1);
        EXPECT_EQ(fake::StdErr(), std::string("Korvanite plugin: ") + c.message + "\r\n");
    }
    EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
    EXPECT_TRUE(Records().empty());
}

TEST_F(StoreExports, BallocWithoutRoomGivesZeroAndNoError) {
    fake::PlanFault(fake::Call::HeapBlock, 1, fake::kUsualCode, fake::kEveryCall);
    const storetest::Call call = Invoke(f_balloc, u"1M");
    EXPECT_EQ(call.result, 0);
    EXPECT_EQ(call.text, "0");
    EXPECT_EQ(fake::StdErr(), "");
    EXPECT_TRUE(Records().empty());
}

// ---- @BFREE ----------------------------------------------------------------------------------

TEST_F(StoreExports, BfreeReleasesAListedBufferOnce) {
    fake::SetNextHeapAddress(0x00A41000);
    ASSERT_EQ(Invoke(f_balloc, u"64").text, storetest::kHandleZeros + "00A41000");

    const storetest::Call first = Invoke(f_bfree, u"00a41000");
    EXPECT_EQ(first.result, 0);
    EXPECT_EQ(first.text, "0");
    EXPECT_EQ(fake::StdErr(), "");
    EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
    EXPECT_TRUE(Records().empty());

    const storetest::Call second = Invoke(f_bfree, u"00a41000");
    EXPECT_EQ(second.result, -1);
    EXPECT_EQ(fake::StdErr(), "Korvanite plugin: Handle not in list: \"00A41000\"\r\n");
}

TEST_F(StoreExports, BfreeTakesTheHandleInEveryHexadecimalForm) {
    for (const char16_t* form :
         {u"A41000", u"0xa41000", u" 00A41000 ", u"A41000,", u"+a41000", u"\"00A41000\",0"}) {
        SCOPED_TRACE(text::ToUtf8(form));
        fake::SetNextHeapAddress(0x00A41000);
        ASSERT_EQ(Invoke(f_balloc, u"16").text, storetest::kHandleZeros + "00A41000");
        const storetest::Call call = Invoke(f_bfree, form);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, "0");
        EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
    }
}

TEST_F(StoreExports, BfreeReportsBadArguments) {
    fake::SetNextHeapAddress(0x00A41000);
    ASSERT_EQ(Invoke(f_balloc, u"16").text, storetest::kHandleZeros + "00A41000");
    struct Case {
        const char16_t* argument;
        const char* message;
    } cases[] = {
        {u"", "Missing handle"},
        {u"  ", "Missing handle"},
        {u",1", "Missing handle"},
        {u"xyz", "Bad buffer handle: \"XYZ\""},
        {u"0", "Bad buffer handle: \"0\""},
        {u"0x", "Bad buffer handle: \"0X\""},
        {u"-a41000", "Bad buffer handle: \"-A41000\""},
#if defined(KV_WIDE_ADDRESSES)
        {u"10000000000000000", "Bad buffer handle: \"10000000000000000\""},
        {u"100A41000", "Handle not in list: \"100A41000\""}, // not cut to the listed A41000
#else
        {u"100000000", "Bad buffer handle: \"100000000\""},
#endif
        {u"a41000 z", "Bad buffer handle: \"A41000 Z\""},
        {u"a41000,abc", "Bad flags value: \"ABC\""},
        {u"a41000,-1", "Bad flags value: \"-1\""},
        {u"a41000,1x", "Bad flags value: \"1X\""},
        {u"a41000,4294967296", "Bad flags value: \"4294967296\""},
        {u"a41008", "Handle not in list: \"A41008\""},
        {u"a41008,2", "Handle not in list: \"A41008\""}, // only bit 0 forces
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        const storetest::Call call = Invoke(f_bfree, c.argument);
        EXPECT_EQ(call.result, -1);
        EXPECT_EQ(fake::StdErr(), std::string("Korvanite plugin: ") + c.message + "\r\n");
    }
    // Nothing was released on the way.
    EXPECT_EQ(fake::LiveHeapBlocks(), 1u);
    EXPECT_EQ(Records().size(), 1u);
}

TEST_F(StoreExports, ForcedBfreeReleasesAHeapBlockWithoutARecord) {
    for (const char16_t* flags : {u"1", u"3", u"0x1", u"0o7"}) {
        SCOPED_TRACE(text::ToUtf8(flags));
        const uint32_t address = UnrecordedBlock(100);
        const std::u16string argument = text::FromUtf8(Hex(address)) + u"," + flags;
        const storetest::Call call = Invoke(f_bfree, argument);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, "1");
        EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
    }
    // Forcing a listed buffer is an ordinary release.
    const storetest::Call made = Invoke(f_balloc, u"8");
    const storetest::Call call = Invoke(f_bfree, text::FromUtf8(made.text) + u",1");
    EXPECT_EQ(call.text, "0");
    EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
}

TEST_F(StoreExports, ForcedBfreeRefusesAnAddressTheHeapDoesNotKnow) {
    const uint32_t block = UnrecordedBlock(4096);
    struct Case {
        std::u16string argument;
    } cases[] = {
        {u"00F00000,1"},                          // nothing there
        {text::FromUtf8(Hex(block + 8)) + u",1"}, // inside a block
        {text::FromUtf8(Hex(block + 4)) + u",1"}, // not a multiple of 8
        {u"8,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        const storetest::Call call = Invoke(f_bfree, c.argument);
        EXPECT_EQ(call.result, -1);
        const std::u16string handle = c.argument.substr(0, c.argument.find(u','));
        EXPECT_EQ(fake::StdErr(),
                  "Korvanite plugin: Bad buffer handle: \"" + text::ToUtf8(handle) + "\"\r\n");
    }
    EXPECT_EQ(sys::HeapBlockSize(BufferAt(block)), 4096u);
}

TEST_F(StoreExports, BfreeThroughTheHostLine) {
    fake::SetNextHeapAddress(0x00A41000);
    EXPECT_EQ(Run(u"echo %@balloc[1K]"), storetest::kHandleZeros + "00A41000\r\n");
    EXPECT_EQ(Run(u"echo %@bfree[00A41000]"), "0\r\n");
    EXPECT_EQ(Run(u"echo %@bfree[00A41000]"), "");
    EXPECT_NE(session.script.lastResult, 0);
    EXPECT_EQ(fake::StdErr(), "Korvanite plugin: Handle not in list: \"00A41000\"\r\n");
}

// ---- @BSIZE ---------------------------------------------------------------------------------

TEST_F(StoreExports, BsizeGivesTheSizeTheHostKnowsOrRefusesTheHandle) {
    fake::SetNextHeapAddress(0x00A41000);
    ASSERT_EQ(Invoke(f_balloc, u"0x1001").text, storetest::kHandleZeros + "00A41000");
    const std::string unrecorded = Hex(UnrecordedBlock(100));
    struct Case {
        std::string argument;
        const char* result; // or the message
    } cases[] = {
        {"00A41000", "4097"},
        {" 0xa41000 , ignored", "4097"},
        {unrecorded, "100"}, // a heap block without a record has its size too
        {"", "Missing handle"},
        {",00A41000", "Missing handle"},
        {"xyz", "Bad handle: \"XYZ\""},
        {"0", "Bad handle: \"0\""},
        {"a41008", "Bad handle: \"A41008\""}, // inside the block
        {"-a41000", "Bad handle: \"-A41000\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        const storetest::Call call = Invoke(f_bsize, text::FromUtf8(c.argument));
        if (call.result == 0) {
            EXPECT_EQ(call.text, c.result);
            EXPECT_EQ(fake::StdErr(), "");
        } else {
            EXPECT_EQ(call.result, -1);
            EXPECT_EQ(fake::StdErr(), std::string("Korvanite plugin: ") + c.result + "\r\n");
        }
    }
    EXPECT_EQ(Run(u"echo %@bsize[00A41000]"), "4097\r\n");
}

// ---- @BFREEALL -------------------------------------------------------------------------------

TEST_F(StoreExports, BfreeallReleasesEveryListedBufferAndCountsTheRecords) {
    const storetest::Call none = Invoke(f_bfreeall, u"");
    EXPECT_EQ(none.result, 0);
    EXPECT_EQ(none.text, "0");

    for (const char16_t* size : {u"1", u"2K", u"0"}) Invoke(f_balloc, size);
    const uint32_t unrecorded = UnrecordedBlock(10);
    const storetest::Call three = Invoke(f_bfreeall, u"anything at all");
    EXPECT_EQ(three.result, 0);
    EXPECT_EQ(three.text, "3");
    EXPECT_EQ(fake::RegistryValueCount(sys::RegistryRoot::CurrentUser, storetest::kProcessKeyPath),
              0u);
    EXPECT_EQ(fake::LiveHeapBlocks(), 1u); // only the block it never recorded
    EXPECT_EQ(sys::HeapBlockSize(BufferAt(unrecorded)), 10u);
    EXPECT_EQ(Invoke(f_bfreeall, u"").text, "0");
    EXPECT_EQ(fake::StdErr(), "");
}

TEST_F(StoreExports, BfreeallCountsRecordsWhoseBlocksAreGone) {
    Invoke(f_balloc, u"16");
    ASSERT_EQ(RecordBuffer(0x00F00000, 32), 1); // a stale record
    EXPECT_EQ(Invoke(f_bfreeall, u"").text, "2");
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
}

// ---- A list that cannot be read or changed ---------------------------------------------------

TEST_F(StoreExports, AListThatCannotBeReadIsNoListAndARecordThatStaysIsForgottenLater) {
    struct Case {
        FeatureExport feature;
        const char16_t* argument;
        fake::Call call;
        int nth; // of that kind of call in the feature
        const char* out;
        const char* err;
        bool bufferStays;
    } cases[] = {
        // Records that cannot be read are no records.
        {f_bfree, u"a41000", fake::Call::RegistryCreate, 1, "", "Handle not in list: \"A41000\"",
         true},
        {f_bfree, u"a41000", fake::Call::RegistryRead, 1, "", "Handle not in list: \"A41000\"",
         true},
        {f_bfree, u"a41000", fake::Call::Memory, 1, "", "Handle not in list: \"A41000\"", true},
        {f_bfreeall, u"", fake::Call::RegistryRead, 1, "0", "", true},
        {bblist, u"", fake::Call::RegistryRead, 1, "No binary buffers allocated.\r\n", "", true},
        // The block goes whether or not its record can be deleted.
        {f_bfree, u"a41000", fake::Call::RegistryDelete, 1, "0", "", false},
        {f_bfreeall, u"", fake::Call::RegistryDelete, 1, "1", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(fake::CallName(c.call)) + " " + std::to_string(c.nth));
        fake::Reset();
        ASSERT_EQ(Load(), host::LoadOutcome::Loaded);
        fake::SetNextHeapAddress(0x00A41000);
        ASSERT_EQ(Invoke(f_balloc, u"64").text, storetest::kHandleZeros + "00A41000");
        fake::PlanFault(c.call, c.nth);
        const storetest::Call call = Invoke(c.feature, c.argument);
        if (*c.err != 0)
            EXPECT_EQ(call.result, -1);
        else
            EXPECT_EQ(c.feature == bblist ? fake::StdOut() : call.text, c.out);
        EXPECT_EQ(fake::StdErr(), *c.err ? std::string("Korvanite plugin: ") + c.err + "\r\n" : "");
        fake::ClearFaults();
        EXPECT_EQ(fake::LiveHeapBlocks(), c.bufferStays ? 1u : 0u);
        EXPECT_EQ(Records().size(), 1u);
    }
    // The record left behind names no block: freeing it forgets it and releases nothing.
    fake::SetNextHeapAddress(0x00B41000);
    ASSERT_EQ(Invoke(f_balloc, u"16").text, storetest::kHandleZeros + "00B41000");
    EXPECT_EQ(Invoke(f_bfree, u"a41000").text, "0");
    EXPECT_EQ(Records().size(), 1u);
    EXPECT_EQ(fake::LiveHeapBlocks(), 1u);
}

// ---- _BBLASTERR, _BLOADSIZE and missing texts ------------------------------------------------

TEST_F(StoreExports, TransferVariablesReportTheLastTransfer) {
    EXPECT_EQ(Invoke(_bblasterr, u"").text, "0");
    EXPECT_EQ(Invoke(_bloadsize, u"").text, "0");
    LastError = 490;
    LastLoadSize = uint64_t{1} << 40;
    EXPECT_EQ(Invoke(_bblasterr, u"ignored").text, "490");
    EXPECT_EQ(Invoke(_bloadsize, u"ignored").text, "1099511627776");
    LastError = -2;
    LastLoadSize = UINT64_MAX;
    EXPECT_EQ(Invoke(_bblasterr, u"").text, "-2");
    EXPECT_EQ(Invoke(_bloadsize, u"").text, "18446744073709551615");
    EXPECT_EQ(LastError, -2); // reading changes nothing
    EXPECT_EQ(Run(u"echo [%_bblasterr] [%_bloadsize]"), "[-2] [18446744073709551615]\r\n");
}

TEST_F(StoreExports, EveryExportAnswersAMissingTextWith87) {
    for (FeatureExport feature : {f_balloc, f_bfree, f_bfreeall, f_bsize, _bblasterr, _bloadsize})
        EXPECT_EQ(feature(nullptr), 87);
    EXPECT_EQ(fake::StdErr(), "");
    EXPECT_EQ(fake::StdOut(), "");
    EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
}

} // namespace
