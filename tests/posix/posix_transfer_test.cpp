// Native file transfer, clipboard and random bytes, with failures as the Windows codes a batch
// file would see.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "sys/sys.h"

namespace {

std::u16string Widen(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

class PosixTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kv-transfer-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
    }
    void TearDown() override { ASSERT_EQ(std::system(("rm -rf '" + directory + "'").c_str()), 0); }

    std::u16string PathOf(const std::string& name) const { return Widen(directory + "/" + name); }

    static std::string ReadAll(const std::u16string& path) {
        sys::Handle file = sys::OpenFileForReading(path.c_str());
        EXPECT_NE(file, nullptr);
        if (file == nullptr) return {};
        std::string content;
        char piece[7];
        uint32_t got = 0;
        while (sys::ReadFilePiece(file, piece, sizeof piece, &got) && got > 0)
            content.append(piece, got);
        sys::CloseHandle(file);
        return content;
    }

    static bool WriteAll(const std::u16string& path, const std::string& bytes) {
        sys::Handle file = sys::CreateFileForWriting(path.c_str());
        if (file == nullptr) return false;
        uint32_t put = 0;
        const bool written =
            sys::WriteFilePiece(file, bytes.data(), static_cast<uint32_t>(bytes.size()), &put) &&
            put == bytes.size();
        sys::CloseHandle(file);
        return written;
    }

    std::string directory;
};

TEST_F(PosixTransfer, WritesReplacesSizesAndReadsAFile) {
    const std::u16string path = PathOf("data, with comma.bin");
    ASSERT_TRUE(WriteAll(path, std::string(100, 'x')));
    ASSERT_TRUE(WriteAll(path, "0123456789"));
    sys::Handle file = sys::OpenFileForReading(path.c_str());
    ASSERT_NE(file, nullptr);
    uint64_t size = 0;
    EXPECT_TRUE(sys::FileSizeOf(file, &size));
    EXPECT_EQ(size, 10u);
    sys::CloseHandle(file);
    EXPECT_EQ(ReadAll(path), "0123456789");
}

TEST_F(PosixTransfer, ReportsMissingFilesAndDirectoriesAsWindowsDoes) {
    EXPECT_EQ(sys::OpenFileForReading(PathOf("missing.bin").c_str()), nullptr);
    EXPECT_EQ(sys::LastErrorCode(), 2u);
    EXPECT_EQ(sys::OpenFileForReading(PathOf("missing/x.bin").c_str()), nullptr);
    EXPECT_EQ(sys::LastErrorCode(), 3u);
    EXPECT_EQ(sys::CreateFileForWriting(PathOf("missing/x.bin").c_str()), nullptr);
    EXPECT_EQ(sys::LastErrorCode(), 3u);
    ASSERT_TRUE(WriteAll(PathOf("file"), "x"));
    EXPECT_EQ(sys::OpenFileForReading(PathOf("file/x.bin").c_str()), nullptr);
    EXPECT_EQ(sys::LastErrorCode(), 3u);
}

TEST_F(PosixTransfer, RefusesADirectoryAsAFile) {
    const std::u16string path = Widen(directory);
    EXPECT_EQ(sys::OpenFileForReading(path.c_str()), nullptr);
    EXPECT_EQ(sys::LastErrorCode(), 5u);
    // A named pipe without a writer (or, to patch, a reader) is refused at once, not waited for;
    // so is a device.
    ASSERT_EQ(mkfifo((directory + "/pipe").c_str(), 0600), 0);
    for (const std::u16string& other : {path, PathOf("pipe"), std::u16string(u"/dev/null")}) {
        EXPECT_EQ(sys::OpenFileForReading(other.c_str()), nullptr);
        EXPECT_EQ(sys::LastErrorCode(), 5u);
        EXPECT_EQ(sys::OpenFileForPatching(other.c_str()), nullptr);
        EXPECT_EQ(sys::LastErrorCode(), 5u);
    }
    EXPECT_EQ(sys::CreateFileForWriting(path.c_str()), nullptr);
    EXPECT_EQ(sys::LastErrorCode(), 5u);
}

TEST_F(PosixTransfer, ReportsAFullDiskAsDiskFull) {
    struct stat status {};
    if (stat("/dev/full", &status) != 0) GTEST_SKIP() << "no /dev/full";
    sys::Handle file = sys::CreateFileForWriting(u"/dev/full");
    ASSERT_NE(file, nullptr);
    uint32_t put = 99;
    EXPECT_FALSE(sys::WriteFilePiece(file, "abc", 3, &put));
    EXPECT_EQ(put, 0u);
    EXPECT_EQ(sys::LastErrorCode(), 112u);
    sys::CloseHandle(file);
}

TEST(PosixClipboard, HasNoneUntilTheHostPutsText) {
    EXPECT_FALSE(sys::OpenClipboardForReading());
    ASSERT_TRUE(sys::SetClipboardText(u"ABCD", 3));
    ASSERT_TRUE(sys::OpenClipboardForReading());
    EXPECT_FALSE(sys::OpenClipboardForReading()); // held already
    size_t units = 0;
    const char16_t* text = sys::LockClipboardText(&units);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::u16string(text, units), std::u16string(u"ABC\0", 4));
    sys::UnlockClipboardText();
    EXPECT_FALSE(sys::SetClipboardText(u"X", 1)); // not while it is open
    sys::CloseClipboardAfterReading();
    EXPECT_TRUE(sys::SetClipboardText(u"", 0));
    ASSERT_TRUE(sys::OpenClipboardForReading());
    EXPECT_NE(sys::LockClipboardText(&units), nullptr);
    EXPECT_EQ(units, 1u); // the terminator alone
    sys::CloseClipboardAfterReading();
}

TEST(PosixRandom, FillsFromTheKernel) {
    sys::RandomSource source = sys::OpenRandomSource();
    ASSERT_NE(source, nullptr);
    unsigned char first[64] = {};
    unsigned char second[64] = {};
    EXPECT_TRUE(sys::FillRandom(source, first, sizeof first));
    EXPECT_TRUE(sys::FillRandom(source, second, sizeof second));
    EXPECT_NE(std::string(first, first + 64), std::string(second, second + 64));
    EXPECT_NE(std::string(first, first + 64), std::string(64, '\0'));
    std::string large(100000, '\0');
    EXPECT_TRUE(sys::FillRandom(source, large.data(), static_cast<uint32_t>(large.size())));
    EXPECT_NE(large.substr(90000), std::string(10000, '\0'));
    sys::CloseRandomSource(source);
}

} // namespace

// libcrypto's digests, at once and in pieces: the known digests of "abc", and the same for any
// cut into pieces; a digest ended without a place for it is released all the same.
TEST(PosixDigests, GiveTheKnownDigestsAtOnceAndInPieces) {
    struct Case {
        sys::DigestAlgorithm algorithm;
        const char* abc;
    } cases[] = {
        {sys::DigestAlgorithm::Md5, "900150983cd24fb0d6963f7d28e17f72"},
        {sys::DigestAlgorithm::Sha1, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {sys::DigestAlgorithm::Sha256,
         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {sys::DigestAlgorithm::Sha384,
         "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5b"
         "ed8086072ba1e7cc2358baeca134c825a7"},
        {sys::DigestAlgorithm::Sha512,
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d3"
         "9a2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54c"
         "a49f"},
    };
    const auto hex = [](const uint8_t* bytes, size_t length) {
        std::string digits;
        for (size_t i = 0; i < length; ++i) {
            digits += "0123456789abcdef"[bytes[i] >> 4];
            digits += "0123456789abcdef"[bytes[i] & 15];
        }
        return digits;
    };
    for (const Case& c : cases) {
        uint8_t atOnce[sys::kLargestDigest];
        const size_t length = sys::ComputeDigest(c.algorithm, "abc", 3, atOnce);
        EXPECT_EQ(hex(atOnce, length), c.abc);
        for (size_t cut = 0; cut <= 3; ++cut) {
            sys::Digest digest = sys::BeginDigest(c.algorithm);
            ASSERT_NE(digest, nullptr);
            EXPECT_TRUE(sys::AddToDigest(digest, "abc", cut));
            EXPECT_TRUE(sys::AddToDigest(digest, "abc" + cut, 3 - cut));
            uint8_t inPieces[sys::kLargestDigest];
            EXPECT_EQ(hex(inPieces, sys::EndDigest(digest, inPieces)), c.abc) << cut;
        }
        sys::Digest released = sys::BeginDigest(c.algorithm);
        EXPECT_EQ(sys::EndDigest(released, nullptr), 0u);
        uint8_t empty[sys::kLargestDigest];
        sys::Digest nothing = sys::BeginDigest(c.algorithm);
        EXPECT_EQ(sys::EndDigest(nothing, empty), length);
        EXPECT_EQ(sys::ComputeDigest(c.algorithm, nullptr, 0, atOnce), length);
        EXPECT_EQ(hex(empty, length), hex(atOnce, length));
    }
    EXPECT_FALSE(sys::AddToDigest(nullptr, "abc", 3));
    EXPECT_EQ(sys::EndDigest(nullptr, nullptr), 0u);
}
