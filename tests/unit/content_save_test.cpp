// @BSAVE and @BPATCH through their exports: the range each writes, the file @BSAVE replaces and
// the one @BPATCH changes in place, the failures they leave in _BBLASTERR, and their messages.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "content_test_fixture.h"
#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "store/last_transfer.h"

namespace {

class ContentSave : public contenttest::ContentFixture {
protected:
    // A buffer whose byte i is i mod 251, so that any range shows where it came from.
    std::u16string CountingBuffer(uint32_t size) {
        const std::u16string handle = NewBuffer(size);
        for (uint32_t i = 0; i < size; ++i) Memory(handle)[i] = static_cast<uint8_t>(i % 251);
        return handle;
    }

    static std::string Range(uint32_t from, uint32_t count) {
        std::string bytes;
        for (uint32_t i = from; i < from + count; ++i) bytes.push_back(static_cast<char>(i % 251));
        return bytes;
    }
};

TEST_F(ContentSave, WritesTheRangeItsArgumentsGive) {
    struct Case {
        const char16_t* arguments; // after the handle of a 100-byte buffer
        const char* result;
        uint32_t from;
        uint32_t count;
    } cases[] = {
        {u",out.bin", "100", 0, 100},
        {u",out.bin,99", "1", 99, 1},
        {u",out.bin,10,1000", "90", 10, 90},
        {u",out.bin,10,0", "90", 10, 90},
        {u",out.bin,10,5", "5", 10, 5},
        {u",out.bin,0x10,0o10", "8", 16, 8},
        {u",out.bin,,3", "3", 0, 3},
        {u",out.bin,0,100", "100", 0, 100},
        {u",out.bin,0,4294967295", "100", 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        fake::Reset();
        const std::u16string handle = CountingBuffer(100);
        const storetest::Call call = Invoke(f_bsave, handle + c.arguments);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.result);
        EXPECT_EQ(fake::StdErr(), "");
        EXPECT_EQ(fake::TransferFile(u"out.bin"), Range(c.from, c.count));
        EXPECT_EQ(LastError, 0);
        EXPECT_EQ(fake::OpenTransferFiles(), 0);
    }
}

TEST_F(ContentSave, WritesALargeBufferWholeAndInOrder) {
    const std::u16string handle = CountingBuffer(20000);
    const storetest::Call call = Invoke(f_bsave, handle + u",big.bin");
    EXPECT_EQ(call.text, "20000");
    EXPECT_EQ(fake::TransferFile(u"big.bin"), Range(0, 20000));
    EXPECT_EQ(fake::WritePieceSizes(), (std::vector<uint32_t>{8192, 8192, 3616}));
}

TEST_F(ContentSave, ReplacesAnExistingFile) {
    fake::PutTransferFile(u"old.bin", std::string(500, 'x'));
    const std::u16string handle = CountingBuffer(100);
    EXPECT_EQ(Invoke(f_bsave, handle + u",old.bin,0,7").text, "7");
    EXPECT_EQ(fake::TransferFile(u"old.bin"), Range(0, 7));
}

TEST_F(ContentSave, TakesQuotedCommasAndKeepsTheNamesCase) {
    const std::u16string handle = CountingBuffer(100);
    EXPECT_EQ(Invoke(f_bsave, handle + u",\"Mixed, Case.bin\",0,2").text, "2");
    EXPECT_EQ(fake::TransferFile(u"Mixed, Case.bin"), Range(0, 2));
    // The handle is read as it stands, in either case.
    std::string lower = text::ToUtf8(handle);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(Invoke(f_bsave, text::FromUtf8(lower) + u",a.bin").text, "100");
}

TEST_F(ContentSave, LeavesTheCodeOfAFailedCreateOrWrite) {
    struct Case {
        uint32_t openCode; // 0: the open works
        int writePiece;    // -1: every write works
        uint32_t writeCode;
        int32_t lastError;
        size_t bytesLeft;       // what stays in the file
        uint32_t closeCode = 0; // 0: the close works
    } cases[] = {
        {5, -1, 0, 5, 0},       // read-only file or directory
        {32, -1, 0, 32, 0},     // held by another process
        {0, 1, 112, 112, 8192}, // the disk became full
        // A network file whose delayed write fails only as it is closed.
        {0, -1, 0, 59, 20000, 59},
        {0, 0, fake::kMovesNothing, 490, 0}, // a write that reports success with nothing written
        {0, 2, fake::kMovesNothing, 490, 16384},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastError);
        fake::Reset();
        const std::u16string handle = CountingBuffer(20000);
        if (c.openCode != 0) fake::PlanFault(fake::Call::FileOpen, 1, c.openCode);
        if (c.writePiece >= 0)
            fake::PlanFault(fake::Call::FileWrite, c.writePiece + 1, c.writeCode);
        if (c.closeCode != 0) fake::PlanFault(fake::Call::FileClose, 1, c.closeCode);
        const storetest::Call call = Invoke(f_bsave, handle + u",out.bin");
        EXPECT_EQ(call.result, -1);
        EXPECT_EQ(call.text, "0");
        EXPECT_EQ(fake::StdErr(), "");
        EXPECT_EQ(LastError, c.lastError);
        EXPECT_EQ(fake::OpenTransferFiles(), 0);
        if (c.openCode == 0) {
            EXPECT_EQ(fake::TransferFile(u"out.bin"), Range(0, c.bytesLeft));
        }
        // It neither loops on a write of nothing nor goes on after a failure.
        if (c.writePiece >= 0) {
            EXPECT_EQ(fake::WritePieceSizes().size(), static_cast<size_t>(c.writePiece) + 1);
        }
    }
}

TEST_F(ContentSave, ReportsBadArgumentsAndLeavesTheLastError) {
    const std::u16string handle = CountingBuffer(100);
    const std::string h = text::ToUtf8(handle);
    struct Case {
        std::u16string argument;
        std::string message;
        FeatureExport feature = f_bsave;
    } cases[] = {
        {u"", "Missing handle"},
        {u",out.bin", "Missing handle"},
        {u"abc,out.bin", "Bad handle: \"ABC\""},
        {u"00a41008,out.bin", "Bad handle: \"00A41008\""},
        {handle, "Missing filename"},
        {handle + u",", "Missing filename"},
        {handle + u",\"\"", "Missing filename"},
        {handle + u",out.bin,1k", "Bad start value: \"1K\""},
        {handle + u",out.bin,-1", "Bad start value: \"-1\""},
        {handle + u",out.bin,100", "Start address past end of buffer: 100 \u2265 100"},
        {handle + u",out.bin,4294967295",
         "Start address past end of buffer: 4294967295 \u2265 100"},
        {handle + u",out.bin,0,all", "Bad length value: \"ALL\""},
        {handle + u",out.bin,0,0x", "Bad length value: \"0X\""},
        {handle + u",out.bin", "Missing file offset", f_bpatch},
        {handle + u",out.bin,-1k", "Bad file offset: \"-1K\"", f_bpatch},
        {handle + u",out.bin,-", "Bad file offset: \"-\"", f_bpatch},
        {handle + u",out.bin,--1", "Bad file offset: \"--1\"", f_bpatch},
        {handle + u",out.bin,0,100", "Start address past end of buffer: 100 \u2265 100", f_bpatch},
    };
    LastError = 5;
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        const storetest::Call call = Invoke(c.feature, c.argument);
        EXPECT_EQ(call.result, -1);
        EXPECT_EQ(fake::StdErr(), ErrorLine(c.message));
    }
    fake::SetCurrentDirectory(u"/" + std::u16string(32766, u'd'));
    EXPECT_EQ(Invoke(f_bsave, handle + u",out.bin").result, -1);
    EXPECT_EQ(fake::StdErr(), ErrorLine("Error expanding filename: \"OUT.BIN\""));
    EXPECT_EQ(LastError, 5);
    EXPECT_FALSE(fake::TransferFile(u"out.bin").has_value());
    EXPECT_EQ(f_bsave(nullptr), 87);
}

TEST_F(ContentSave, SavedBytesLoadBackEqual) {
    const std::u16string handle = CountingBuffer(12345);
    EXPECT_EQ(Invoke(f_bsave, handle + u",round.bin").text, "12345");
    const storetest::Call loaded = Invoke(f_bload, u"round.bin");
    ASSERT_EQ(loaded.text.size(), size_t{kHandleDigits});
    EXPECT_EQ(LastLoadSize, 12345u);
    EXPECT_EQ(Contents(text::FromUtf8(loaded.text), 12345), Contents(handle, 12345));
}

TEST_F(ContentSave, PatchesTheRangeIntoAnExistingFileInPlace) {
    const std::string old(50, 'x');
    struct Case {
        const char16_t* arguments; // after the handle of a 100-byte buffer
        const char* result;
        std::string file;
        int32_t lastError;
    } cases[] = {
        {u",data.bin,10,99", "1", old.substr(0, 10) + Range(99, 1) + old.substr(11), 0},
        {u",data.bin,45,0,10", "10", old.substr(0, 45) + Range(0, 10), 0}, // grows the file
        {u",data.bin,50,98", "2", old + Range(98, 2), 0},                  // appends
        {u",data.bin,0x2,0x10,0o3", "3", "xx" + Range(16, 3) + old.substr(5), 0},
        {u",data.bin,51", "0", old, 494}, // past the end: the line still runs
        // Back from the end: the end itself appends, before the start is as past the end.
        {u",data.bin,-5,0,2", "2", old.substr(0, 45) + Range(0, 2) + old.substr(47), 0},
        {u",data.bin,-0x2,97", "3", old.substr(0, 48) + Range(97, 3), 0},
        {u",data.bin,-0,98", "2", old + Range(98, 2), 0},
        {u",data.bin,-50,99", "1", Range(99, 1) + old.substr(1), 0},
        {u",data.bin,-51", "0", old, 494},
        {u",missing.bin,0", "0", old, 2}, // never created
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        fake::Reset();
        fake::PutTransferFile(u"data.bin", old);
        const storetest::Call call = Invoke(f_bpatch, CountingBuffer(100) + c.arguments);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.result);
        EXPECT_EQ(fake::StdErr(), "");
        EXPECT_EQ(fake::TransferFile(u"data.bin"), c.file);
        EXPECT_FALSE(fake::TransferFile(u"missing.bin").has_value());
        EXPECT_EQ(LastError, c.lastError);
        EXPECT_EQ(fake::OpenTransferFiles(), 0);
    }
    // A write that fails midway leaves what it wrote, "0" and the code; so does one that fails
    // only as the file is closed.
    fake::PlanFault(fake::Call::FileWrite, 2, 112);
    EXPECT_EQ(Invoke(f_bpatch, CountingBuffer(3 << 20) + u",data.bin,0").text, "0");
    EXPECT_EQ(LastError, 112);
    EXPECT_EQ(fake::TransferFile(u"data.bin"), Range(0, 1 << 20));
    fake::PlanFault(fake::Call::FileClose);
    EXPECT_EQ(Invoke(f_bpatch, CountingBuffer(10) + u",data.bin,0").text, "0");
    EXPECT_EQ(LastError, 112);
    EXPECT_EQ(fake::OpenTransferFiles(), 0);
}

} // namespace
