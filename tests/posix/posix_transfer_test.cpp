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
