// @BLOAD, @BLOADPART and @BFILEHASH through their exports: files of every size the limit allows
// or refuses, parts of files and their digests, every failure of the file and clipboard steps
// with the code it leaves, Ctrl-C during a digest, and the name's forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "console/interrupt.h"
#include "content/crc32.h"
#include "content_test_fixture.h"
#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "store/buffer_registry.h"
#include "store/last_transfer.h"
#include "sys/sys.h"

namespace {

constexpr uint32_t kLimit = 8388608;

// Bytes that differ from their neighbours, so that a piece out of place shows.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

class ContentLoad : public contenttest::ContentFixture {
protected:
    // Loads and checks that a failure left "0", the code and no buffer.
    void ExpectFailure(std::u16string_view argument, int32_t code,
                       FeatureExport feature = f_bload) {
        LastLoadSize = 99;
        const storetest::Call call = Invoke(feature, argument);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, "0");
        EXPECT_EQ(fake::StdErr(), "");
        EXPECT_EQ(LastError, code);
        EXPECT_EQ(LastLoadSize, 0u);
        EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
        EXPECT_TRUE(Records().empty());
        EXPECT_EQ(fake::OpenTransferFiles(), 0);
        EXPECT_FALSE(fake::ClipboardIsOpen());
    }

    // Loads and checks the new buffer: its record, its size and its bytes.
    void ExpectLoaded(std::u16string_view argument, const std::string& bytes,
                      FeatureExport feature = f_bload) {
        LastError = 99;
        const storetest::Call call = Invoke(feature, argument);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(fake::StdErr(), "");
        ASSERT_EQ(call.text.size(), size_t{kHandleDigits});
        const std::u16string handle = text::FromUtf8(call.text);
        EXPECT_EQ(LastError, 0);
        EXPECT_EQ(LastLoadSize, bytes.size());
        EXPECT_EQ(ListedBufferSize(AddressOf(handle)), bytes.size());
        EXPECT_EQ(sys::HeapBlockSize(Memory(handle)), bytes.size());
        EXPECT_EQ(std::memcmp(bytes.data(), Memory(handle), bytes.size()), 0);
        EXPECT_EQ(fake::OpenTransferFiles(), 0);
        EXPECT_FALSE(fake::ClipboardIsOpen());
    }
};

TEST_F(ContentLoad, LoadsFilesOfOneByteToTheLimitInPieces) {
    struct Case {
        size_t size;
        std::vector<uint32_t> pieces;
    } cases[] = {
        {1, {1}},
        {8191, {8191}},
        {8192, {8192}},
        {8193, {8192, 1}},
        {20000, {8192, 8192, 3616}},
        {kLimit, std::vector<uint32_t>(1024, 8192)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        fake::Reset();
        const std::string bytes = Pattern(c.size);
        fake::PutTransferFile(u"data.bin", bytes);
        ExpectLoaded(u"data.bin", bytes);
        EXPECT_EQ(fake::ReadPieceSizes(), c.pieces);
    }
}

TEST_F(ContentLoad, RefusesAFileBeyondTheLimitAndAnEmptyOne) {
    fake::PutTransferFile(u"big.bin", Pattern(kLimit + 1));
    ExpectFailure(u"big.bin", 491);
    EXPECT_TRUE(fake::ReadPieceSizes().empty());
    fake::PutTransferFile(u"empty.bin", "");
    ExpectFailure(u"empty.bin", 492);
    // A size that does not fit in 32 bits is beyond the limit too, not a small size.
    fake::SetReportedFileSize(0x100000001ull);
    ExpectFailure(u"empty.bin", 491);
}

TEST_F(ContentLoad, LeavesTheSystemsCodeOrItsOwn) {
    ExpectFailure(u"missing.bin", 2);
    fake::PutTransferFile(u"data.bin", Pattern(20000));
    fake::PlanFault(fake::Call::FileOpen, 1, 32); // held by another process without sharing
    ExpectFailure(u"data.bin", 32);
    fake::PlanFault(fake::Call::FileOpen, 1, 0); // a failure without a code
    ExpectFailure(u"data.bin", 490);
    fake::PlanFault(fake::Call::FileSize, 1, 6);
    ExpectFailure(u"data.bin", 6);
    fake::PlanFault(fake::Call::HeapBlock, 1, fake::kUsualCode, fake::kEveryCall);
    ExpectFailure(u"data.bin", 8);
    fake::ClearFaults();
    // A file read whole has given its bytes, whatever its closing says.
    fake::PlanFault(fake::Call::FileClose);
    ExpectLoaded(u"data.bin", Pattern(20000));
}

TEST_F(ContentLoad, ReleasesTheBufferOfAFailedRead) {
    struct Case {
        int piece;
        uint32_t code;
        int32_t lastError;
    } cases[] = {{0, 23, 23}, {2, 1117, 1117}, {1, 0, 490}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.piece);
        fake::Reset();
        fake::PutTransferFile(u"data.bin", Pattern(20000));
        fake::PlanFault(fake::Call::FileRead, c.piece + 1, c.code);
        ExpectFailure(u"data.bin", c.lastError);
    }
}

TEST_F(ContentLoad, StopsWhenTheFileEndsBeforeItsSize) {
    fake::PutTransferFile(u"data.bin", Pattern(10000));
    fake::SetReportedFileSize(20000);
    ExpectFailure(u"data.bin", 493);
    // The second read gives what is left; the third gives nothing.
    EXPECT_EQ(fake::ReadPieceSizes(), (std::vector<uint32_t>{8192, 8192, 8192}));
}

TEST_F(ContentLoad, TakesTheWholeTextAsTheName) {
    const std::string bytes = Pattern(10);
    struct Case {
        const char16_t* stored;
        const char16_t* argument;
    } cases[] = {
        {u"a,b.bin", u"a,b.bin"},
        {u"two words.bin", u"  two words.bin \t"},
        {u"quoted.bin", u"\"quoted.bin\""},
        {u"two words.bin", u"\"two\" \"words.bin\""},
        {u"clip:x", u"clip:x"},
        {u"/elsewhere/file.bin", u"/elsewhere/file.bin"},
        {u"sub/file.bin", u"./sub/../sub/file.bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        fake::Reset();
        fake::PutTransferFile(c.stored, bytes);
        ExpectLoaded(c.argument, bytes);
    }
}

TEST_F(ContentLoad, ReportsAMissingOrUnusableName) {
    struct Case {
        const char16_t* argument;
        const char* message;
        FeatureExport feature = f_bload;
    } cases[] = {
        {u"", "Missing filename"},
        {u"   ", "Missing filename"},
        {u"\"\"", "Missing filename"},
        {u" \"\" \"\"\t", "Missing filename"},
        {u",5", "Missing filename", f_bloadpart},
        {u"data.bin", "Missing offset", f_bloadpart},
        {u"data.bin,-x1", "Bad offset: \"-X1\"", f_bloadpart},
        {u"data.bin,-", "Bad offset: \"-\"", f_bloadpart},
        {u"data.bin,+1", "Bad offset: \"+1\"", f_bloadpart},
        {u"data.bin,0,1k", "Bad length value: \"1K\"", f_bloadpart},
        {u",md5", "Missing filename", f_bfilehash},
        {u"data.bin", "Missing algorithm", f_bfilehash},
        {u"data.bin,,0", "Missing algorithm", f_bfilehash},
        {u"data.bin,sha-256", "Unknown algorithm: \"SHA-256\"", f_bfilehash},
        {u"data.bin,md5,x", "Bad offset: \"X\"", f_bfilehash},
        {u"data.bin,md5,--1", "Bad offset: \"--1\"", f_bfilehash},
        {u"data.bin,md5,18446744073709551616", "Bad offset: \"18446744073709551616\"", f_bfilehash},
        {u"data.bin,md5,0,-1", "Bad length value: \"-1\"", f_bfilehash},
    };
    LastError = 5;
    LastLoadSize = 7;
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        const storetest::Call call = Invoke(c.feature, c.argument);
        EXPECT_EQ(call.result, -1);
        EXPECT_EQ(fake::StdErr(), ErrorLine(c.message));
    }
    // A name the host cannot make a full path of: here one longer than a path may be.
    fake::SetCurrentDirectory(u"/" + std::u16string(32766, u'd'));
    const storetest::Call call = Invoke(f_bload, u"name.bin");
    EXPECT_EQ(call.result, -1);
    EXPECT_EQ(fake::StdErr(), ErrorLine("Error expanding filename: \"NAME.BIN\""));
    // Argument errors are no transfer.
    EXPECT_EQ(LastError, 5);
    EXPECT_EQ(LastLoadSize, 7u);
    EXPECT_EQ(f_bload(nullptr), 87);
}

TEST_F(ContentLoad, LoadsTheClipboardsTextWithItsTerminator) {
    const std::string abc("A\0B\0C\0\0\0", 8);
    const char16_t* names[] = {u"clip:", u"CLIP:", u"Clip:", u"\"clip:\"", u"  \"cLiP:\" "};
    for (const char16_t* name : names) {
        SCOPED_TRACE(text::ToUtf8(name));
        fake::Reset();
        ASSERT_TRUE(sys::SetClipboardText(u"ABC", 3));
        ExpectLoaded(name, abc);
        EXPECT_FALSE(fake::ClipboardIsLocked());
    }
}

TEST_F(ContentLoad, TakesTheClipboardsTextUpToItsFirstZeroAndNeverBeyondItsBlock) {
    struct Case {
        std::u16string units;
        std::string bytes;
    } cases[] = {
        {std::u16string(u"AB\0CD\0", 6), std::string("A\0B\0\0\0", 6)},
        {u"AB", std::string("A\0B\0\0\0", 6)}, // a block without a zero ends with the block
        {u"\u00E9\u20AC", std::string("\xE9\0\xAC\x20\0\0", 6)},
    };
    for (const Case& c : cases) {
        fake::Reset();
        fake::SetClipboardUnits(c.units);
        ExpectLoaded(u"clip:", c.bytes);
    }
}

TEST_F(ContentLoad, FailsCleanlyWithoutClipboardText) {
    ExpectFailure(u"clip:", 490); // no text at all
    fake::SetClipboardUnits(std::u16string(1, u'\0'));
    ExpectFailure(u"clip:", 490); // an empty text
    fake::SetClipboardUnits(u"");
    ExpectFailure(u"clip:", 490); // an empty block
    fake::SetClipboardUnits(u"ABC");
    fake::PlanFault(fake::Call::ClipboardOpen, 1, 5);
    ExpectFailure(u"clip:", 5); // held by another program
    fake::PlanFault(fake::Call::ClipboardOpen, 1, 0);
    ExpectFailure(u"clip:", 490);
    fake::PlanFault(fake::Call::HeapBlock, 1, fake::kUsualCode, fake::kEveryCall);
    ExpectFailure(u"clip:", 8);
    fake::ClearFaults();
    EXPECT_FALSE(fake::ClipboardIsLocked());
}

TEST_F(ContentLoad, LoadsOnlyThePartOfAFileItsArgumentsName) {
    constexpr uint32_t kSize = 3 << 20;
    const std::string bytes = Pattern(kSize);
    struct Case {
        const char16_t* arguments;
        size_t from;
        size_t count; // 0: fails with `code`
        int32_t code;
    } cases[] = {
        {u"data.bin,0", 0, kSize, 0}, // in pieces of a mebibyte
        {u"data.bin,100,10", 100, 10, 0},
        {u"data.bin,3145720,1000", 3145720, 8, 0}, // cut at the end
        {u"\"data.bin\",0x10,0o20", 16, 16, 0},
        {u"data.bin,3145728", 0, 0, 492}, // nothing at or past the end
        {u"data.bin,-8", 3145720, 8, 0},  // back from the end
        {u"data.bin,-0x300000,16", 0, 16, 0},
        {u"data.bin,-1048577", 2097151, 1048577, 0},
        {u"data.bin,-0", 0, 0, 492},       // the end itself
        {u"data.bin,-3145729", 0, 0, 492}, // before the start
        {u"missing.bin,0", 0, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        fake::Reset();
        fake::PutTransferFile(u"data.bin", bytes);
        if (c.count == 0) {
            ExpectFailure(c.arguments, c.code, f_bloadpart);
            continue;
        }
        ExpectLoaded(c.arguments, bytes.substr(c.from, c.count), f_bloadpart);
        std::vector<uint32_t> pieces;
        for (size_t left = c.count; left > 0; left -= pieces.back())
            pieces.push_back(static_cast<uint32_t>(std::min<size_t>(left, 1 << 20)));
        EXPECT_EQ(fake::ReadPieceSizes(), pieces);
    }
    // A file of 5 GiB: a part of 4 GiB or more is refused, one less is too large for the heap,
    // and one past what the file really holds ends short.
    fake::SetReportedFileSize(uint64_t{5} << 30);
    ExpectFailure(u"data.bin,0", 491, f_bloadpart);
    fake::PlanFault(fake::Call::HeapBlock, 1, fake::kUsualCode, fake::kEveryCall);
    ExpectFailure(u"data.bin,1,4294967295", 8, f_bloadpart);
    fake::ClearFaults();
    ExpectFailure(u"data.bin,3145720,100", 493, f_bloadpart);
}

// ---- @BFILEHASH ------------------------------------------------------------------------------

// The CRC-32 one bit at a time, as its definition gives it.
uint32_t BitwiseCrc32(std::string_view bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (char byte : bytes) {
        crc ^= static_cast<uint8_t>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

std::string Hex8(uint32_t value) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", value);
    return digits;
}

// The fake system's digest of `size` bytes: the low byte of the size, `length` times.
std::string FakeDigest(size_t size, int length) {
    std::string digest;
    for (int i = 0; i < length; ++i) digest += Hex8(size & 0xFF).substr(6);
    return digest;
}

class FileHash : public ContentLoad {
protected:
    static constexpr uint32_t kSize = (3 << 20) + 5;

    void SetUp() override {
        ContentLoad::SetUp();
        bytes = Pattern(kSize);
        fake::PutTransferFile(u"data.bin", bytes);
        fake::PutTransferFile(u"empty.bin", "");
    }

    // Digests and checks the result, and that nothing is left behind: the load's state as it
    // was, no file, digest, block or handler.
    void Expect(std::u16string_view arguments, const std::string& result, int32_t code) {
        SCOPED_TRACE(text::ToUtf8(arguments));
        LastError = 99;
        LastLoadSize = 7;
        const storetest::Call call = Invoke(f_bfilehash, arguments);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, result);
        EXPECT_EQ(fake::StdErr(), "");
        EXPECT_EQ(LastError, code);
        EXPECT_EQ(LastLoadSize, 7u);
        EXPECT_EQ(fake::OpenTransferFiles(), 0);
        EXPECT_EQ(fake::OpenDigests(), 0);
        EXPECT_EQ(fake::LiveHeapBlocks(), 0u);
        EXPECT_FALSE(fake::ControlHandlerInstalled());
        EXPECT_EQ(CtrlCPressed, 0);
    }

    std::string bytes;
};

TEST_F(FileHash, GivesTheDigestOfThePartItsArgumentsName) {
    struct Case {
        const char16_t* arguments;
        size_t from;
        size_t count;
    } cases[] = {
        {u"data.bin,crc32", 0, kSize}, // four pieces
        {u"data.bin,CRC32,100,10", 100, 10},
        {u"\"data.bin\",crc32,0x10,0o20", 16, 16},
        {u"data.bin,crc32,1048575,1048579", 1048575, 1048579},      // across pieces
        {u"data.bin,crc32,3145000,4096", 3145000, kSize - 3145000}, // cut at the end
        {u"data.bin,crc32,1,0", 1, kSize - 1},
        {u"data.bin,crc32,-1024", kSize - 1024, 1024}, // back from the end
        {u"data.bin,crc32,-0x100,16", kSize - 256, 16},
        {u"data.bin,crc32,-3145733", 0, kSize},
        {u"data.bin,crc32,3145733", kSize, 0}, // the end: no bytes
        {u"data.bin,crc32,-0", kSize, 0},
        {u"empty.bin,crc32", 0, 0},
        {u"empty.bin,crc32,-0,5", 0, 0},
    };
    for (const Case& c : cases) {
        fake::Reset();
        SetUp();
        Expect(c.arguments, Hex8(BitwiseCrc32(std::string_view(bytes).substr(c.from, c.count))), 0);
        std::vector<uint32_t> pieces;
        for (size_t left = c.count; left > 0; left -= pieces.back())
            pieces.push_back(static_cast<uint32_t>(std::min<size_t>(left, 1 << 20)));
        EXPECT_EQ(fake::ReadPieceSizes(), pieces) << text::ToUtf8(c.arguments);
    }
    EXPECT_EQ(BitwiseCrc32(""), 0u);
    // The system's digests, of the fake's kind: the size hashed, in pieces of a mebibyte.
    fake::Reset();
    SetUp();
    Expect(u"data.bin,sha256", FakeDigest(kSize, 32), 0);
    const std::vector<size_t> pieces{1 << 20, 1 << 20, 1 << 20, 5};
    EXPECT_EQ(fake::DigestPieceSizes(), pieces);
    Expect(u"data.bin,SHA1,-5", FakeDigest(5, 20), 0);
    Expect(u"data.bin,md5,0,0x0102", FakeDigest(258, 16), 0);
    Expect(u"data.bin,sha384,3145733", FakeDigest(0, 48), 0);
    Expect(u"empty.bin,sha512", FakeDigest(0, 64), 0);
    EXPECT_EQ(fake::DigestSizes(), (std::vector<size_t>{kSize, 5, 258, 0, 0}));
}

TEST_F(FileHash, FailsWithTheCodeAndRunsTheLine) {
    Expect(u"data.bin,crc32,3145734", "0", 492);   // past the end
    Expect(u"data.bin,sha256,-3145734", "0", 492); // before the start
    Expect(u"empty.bin,md5,1", "0", 492);
    Expect(u"empty.bin,md5,-1", "0", 492);
    Expect(u"missing.bin,sha1", "0", 2);
    fake::PlanFault(fake::Call::FileOpen, 1, 32);
    Expect(u"data.bin,crc32", "0", 32);
    fake::PlanFault(fake::Call::FileSize);
    Expect(u"data.bin,sha256", "0", 1117);
    // The system's digest cannot be had, or fails midway: no code of the system's.
    fake::PlanFault(fake::Call::Digest, 1, fake::kUsualCode, fake::kEveryCall);
    Expect(u"data.bin,sha256", "0", 490);
    Expect(u"data.bin,crc32,-3", Hex8(BitwiseCrc32(bytes.substr(kSize - 3))), 0);
    fake::ClearFaults();
    // Begun, a first piece added, the second failing; then the end fails alone.
    fake::PlanFault(fake::Call::Digest, 3);
    Expect(u"data.bin,sha512", "0", 490);
    EXPECT_EQ(fake::DigestPieceSizes().size(), 2u);
    fake::PlanFault(fake::Call::Digest, 5);
    Expect(u"data.bin,sha512", "0", 490);
    EXPECT_EQ(fake::OpenDigests(), 0);
    // No room for a piece; a part of no bytes needs none.
    fake::PlanFault(fake::Call::HeapBlock, 1, fake::kUsualCode, fake::kEveryCall);
    Expect(u"data.bin,md5,1", "0", 8);
    Expect(u"data.bin,crc32,-0", "00000000", 0);
    fake::ClearFaults();

    // A read that fails midway, and one that gives nothing before the end: a file of 5 GiB that
    // holds fewer bytes, read where 32 bits would not reach.
    fake::Reset();
    SetUp();
    fake::PlanFault(fake::Call::FileRead, 2, 23);
    Expect(u"data.bin,sha256", "0", 23);
    fake::Reset();
    SetUp();
    fake::SetReportedFileSize(uint64_t{5} << 30);
    Expect(u"data.bin,crc32,-16", "0", 493);
    Expect(u"data.bin,crc32,0x100000000,1", "0", 493);
    EXPECT_EQ(fake::ReadPieceSizes(), (std::vector<uint32_t>{16, 1}));
}

TEST_F(FileHash, CtrlCOrCtrlBreakStopsALongDigest) {
    for (const uint32_t event : {sys::kCtrlCEvent, sys::kCtrlBreakEvent}) {
        fake::Reset();
        SetUp();
        fake::RaiseControlEventAtRead(event, 1);
        Expect(u"data.bin,sha256", "0", 1223);
        EXPECT_EQ(fake::ReadPieceSizes().size(), 2u) << "no piece read after it";
        EXPECT_EQ(fake::ControlHandlerChanges(), 2) << "installed, then removed";
    }
    // During the last piece it comes too late: the digest is done.
    fake::Reset();
    SetUp();
    fake::RaiseControlEventAtRead(sys::kCtrlCEvent, 3);
    Expect(u"data.bin,crc32", Hex8(BitwiseCrc32(bytes)), 0);
    // Other events (the console closing) are not the plug-in's to handle.
    fake::Reset();
    SetUp();
    fake::RaiseControlEventAtRead(2, 0);
    Expect(u"data.bin,crc32", Hex8(BitwiseCrc32(bytes)), 0);
}

} // namespace
