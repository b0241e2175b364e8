// Native code pages, character classes and text output.
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>

#include "sys/sys.h"

namespace {

sys::Handle HandleOfDescriptor(int fd) {
    return reinterpret_cast<sys::Handle>(intptr_t{fd} + 1);
}

std::u16string Convert(uint32_t codePage, const std::string& bytes) {
    char16_t out[64] = {};
    int units =
        sys::MultiByteToWide(codePage, bytes.data(), static_cast<int>(bytes.size()), out, 64);
    return std::u16string(out, static_cast<size_t>(units));
}

TEST(PosixCodePages, SystemCodePages) {
    EXPECT_EQ(sys::AnsiCodePage(), 1252u);
    EXPECT_EQ(sys::OemCodePage(), 437u);
}

TEST(PosixCodePages, ConvertsByCodePage) {
    struct Case {
        uint32_t codePage;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {437, "\x81\xE9\xB0\x01", u"\u00FC\u0398\u2591\u0001"},
        {850, "\x81\xD5", u"\u00FC\u0131"},
        {1252, "\x80\xE9\x9F", u"\u20AC\u00E9\u0178"},
        {1252, "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"}, // undefined bytes
        {0, "\x80", u"\u20AC"},                                            // the ANSI code page
        {1, "\x81", u"\u00FC"},                                            // the OEM code page
        {65001, "a\xC3\xA9\xE2\x82\xAC", u"a\u00E9\u20AC"},
        {65001,
         "a\xFF"
         "b",
         u"a\uFFFD"
         "b"},
        {65001, "\xF0\x9F\x98\x80", u"\U0001F600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        EXPECT_EQ(Convert(c.codePage, c.bytes), c.text);
    }
}

TEST(PosixCodePages, FollowsMultiByteToWideCharConventions) {
    char16_t out[8];
    EXPECT_EQ(sys::MultiByteToWide(437, "abc", -1, out, 8), 4); // with the terminator
    EXPECT_EQ(std::u16string(out), u"abc");
    EXPECT_EQ(sys::MultiByteToWide(437, "abc", 3, nullptr, 0), 3); // size query
    EXPECT_EQ(sys::MultiByteToWide(437, "abcd", 4, out, 3), 0);    // no room
    EXPECT_EQ(sys::MultiByteToWide(12345, "abc", 3, out, 8), 0);   // unknown code page
    EXPECT_EQ(sys::MultiByteToWide(437, "abc", 0, out, 8), 0);
    EXPECT_EQ(sys::MultiByteToWide(437, nullptr, 3, out, 8), 0);
}

// Every byte of a single-byte code page is one unit; a double-byte code page joins bytes.
TEST(PosixCodePages, SingleAndDoubleByteCodePages) {
    char bytes[256];
    for (int i = 0; i < 255; ++i) bytes[i] = static_cast<char>(i + 1);
    bytes[255] = 0;
    char16_t out[1024];
    EXPECT_EQ(sys::MultiByteToWide(437, bytes, -1, out, 1024), 256);
    EXPECT_EQ(sys::MultiByteToWide(1252, bytes, -1, out, 1024), 256);
    EXPECT_LT(sys::MultiByteToWide(932, bytes, -1, out, 1024), 256);
}

TEST(PosixCharacters, ClassAndCase) {
    struct Case {
        char16_t c, upper, lower;
        bool space;
    };
    const Case cases[] = {
        {u'a', u'A', u'a', false},
        {u'Z', u'Z', u'z', false},
        {u'1', u'1', u'1', false},
        {u'\u00E4', u'\u00C4', u'\u00E4', false},
        {u'\u00FF', u'\u0178', u'\u00FF', false},
        {u'\u00DF', u'\u00DF', u'\u00DF', false},
        {u'\u0436', u'\u0416', u'\u0436', false},
        {u'\u0131', u'I', u'\u0131', false},
        {u' ', u' ', u' ', true},
        {u'\t', u'\t', u'\t', true},
        {u'\n', u'\n', u'\n', true},
        {u'\u3000', u'\u3000', u'\u3000', true},
        {u'\u2028', u'\u2028', u'\u2028', true},
        {0xD800, 0xD800, 0xD800, false},
        {0xDC00, 0xDC00, 0xDC00, false},
        {0, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.c));
        EXPECT_EQ(sys::ToUpper(c.c), c.upper);
        EXPECT_EQ(sys::ToLower(c.c), c.lower);
        EXPECT_EQ(sys::IsSpace(c.c), c.space);
    }
}

TEST(PosixOutput, StandardHandlesAreTheStandardDescriptors) {
    EXPECT_EQ(sys::StdHandle(sys::StdStream::Input), HandleOfDescriptor(0));
    EXPECT_EQ(sys::StdHandle(sys::StdStream::Output), HandleOfDescriptor(1));
    EXPECT_EQ(sys::StdHandle(sys::StdStream::Error), HandleOfDescriptor(2));
    EXPECT_FALSE(sys::IsConsole(nullptr));
    EXPECT_FALSE(sys::WriteText(nullptr, u"x", 1));
}

// More text than a pipe holds arrives whole, as UTF-8.
TEST(PosixOutput, WritesUtf8ToAPipeCompletely) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::u16string text;
    for (int i = 0; i < 40000; ++i) text += u"é€x\r\n";
    std::string received;
    std::thread reader([&] {
        char chunk[4096];
        ssize_t got;
        while ((got = read(fds[0], chunk, sizeof chunk)) > 0)
            received.append(chunk, static_cast<size_t>(got));
    });
    EXPECT_FALSE(sys::IsConsole(HandleOfDescriptor(fds[1])));
    EXPECT_TRUE(sys::WriteText(HandleOfDescriptor(fds[1]), text.data(), text.size()));
    sys::CloseHandle(HandleOfDescriptor(fds[1]));
    reader.join();
    close(fds[0]);
    std::string expected;
    for (int i = 0; i < 40000; ++i) expected += "\xC3\xA9\xE2\x82\xACx\r\n";
    EXPECT_EQ(received, expected);
}

// Standard output and standard error sent to one file for the length of a test, as a shell's
// "> file 2>&1" does; the test's own output comes back afterwards.
class SharedOutputFile {
public:
    SharedOutputFile() {
        std::fflush(stdout);
        std::fflush(stderr);
        char name[] = "/tmp/kv-output-XXXXXX";
        file_ = mkstemp(name);
        unlink(name);
        savedOut_ = dup(STDOUT_FILENO);
        savedErr_ = dup(STDERR_FILENO);
        dup2(file_, STDOUT_FILENO);
        dup2(file_, STDERR_FILENO);
    }
    ~SharedOutputFile() {
        sys::BufferStandardOutput(false);
        dup2(savedOut_, STDOUT_FILENO);
        dup2(savedErr_, STDERR_FILENO);
        close(savedOut_);
        close(savedErr_);
        close(file_);
    }
    SharedOutputFile(const SharedOutputFile&) = delete;
    SharedOutputFile& operator=(const SharedOutputFile&) = delete;

    std::string Content() const {
        std::string content;
        char chunk[4096];
        ssize_t got;
        off_t at = 0;
        while ((got = pread(file_, chunk, sizeof chunk, at)) > 0) {
            content.append(chunk, static_cast<size_t>(got));
            at += got;
        }
        return content;
    }

private:
    int file_ = -1;
    int savedOut_ = -1;
    int savedErr_ = -1;
};

bool Write(sys::StdStream stream, std::u16string_view text) {
    return sys::WriteText(sys::StdHandle(stream), text.data(), text.size());
}

TEST(PosixOutput, CollectsStandardOutputAndKeepsTheOrderWithStandardError) {
    SharedOutputFile file;
    ASSERT_TRUE(sys::BufferStandardOutput(true));
    EXPECT_TRUE(Write(sys::StdStream::Output, u"one \u00e9\r\n"));
    EXPECT_EQ(file.Content(), ""); // collected, not yet written
    EXPECT_TRUE(Write(sys::StdStream::Error, u"two\r\n"));
    EXPECT_EQ(file.Content(), "one \xc3\xa9\r\ntwo\r\n");
    EXPECT_TRUE(Write(sys::StdStream::Output, u"three\r\n"));
    EXPECT_TRUE(sys::FlushStandardOutput());
    EXPECT_EQ(file.Content(), "one \xc3\xa9\r\ntwo\r\nthree\r\n");
    // Stopping writes out what waits; later output goes out at once.
    EXPECT_TRUE(Write(sys::StdStream::Output, u"four"));
    EXPECT_FALSE(sys::BufferStandardOutput(false));
    EXPECT_TRUE(Write(sys::StdStream::Output, u"five"));
    EXPECT_EQ(file.Content(), "one \xc3\xa9\r\ntwo\r\nthree\r\nfourfive");
}

// Much more than the collection holds, in lines and in one piece, with characters of 1 to 4
// bytes falling across every place where it is written out, arrives byte for byte and in order.
TEST(PosixOutput, CollectedOutputArrivesWhole) {
    SharedOutputFile file;
    ASSERT_TRUE(sys::BufferStandardOutput(true));
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        const size_t extra = static_cast<size_t>(i % 13);
        const std::u16string line =
            u"line \u00e9\u20ac\U0001F600 " + std::u16string(extra, u'x') + u"\r\n";
        EXPECT_TRUE(Write(sys::StdStream::Output, line));
        expected += "line \xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80 " + std::string(extra, 'x') + "\r\n";
        if (i % 5000 == 4999) {
            EXPECT_TRUE(Write(sys::StdStream::Error, u"!"));
            expected += "!";
        }
    }
    EXPECT_TRUE(Write(sys::StdStream::Output, u"<"));
    EXPECT_TRUE(Write(sys::StdStream::Output, std::u16string(100000, u'\u00b7')));
    EXPECT_TRUE(Write(sys::StdStream::Output, u">"));
    expected += "<";
    for (int i = 0; i < 100000; ++i) expected += "\xc2\xb7";
    expected += ">";
    EXPECT_TRUE(sys::FlushStandardOutput());
    EXPECT_EQ(file.Content(), expected);
}

// Any other handle (here a pipe, standing for the console device) gets its text after what
// standard output collected before it.
TEST(PosixOutput, WritesCollectedOutputBeforeAnyOtherHandle) {
    SharedOutputFile file;
    ASSERT_TRUE(sys::BufferStandardOutput(true));
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    EXPECT_TRUE(Write(sys::StdStream::Output, u"before"));
    EXPECT_TRUE(sys::WriteText(HandleOfDescriptor(fds[1]), u"mark", 4));
    EXPECT_EQ(file.Content(), "before");
    char got[8] = {};
    EXPECT_EQ(read(fds[0], got, sizeof got), 4);
    close(fds[0]);
    close(fds[1]);
}

// A full disk stops standard output, collected or not, with the error it gave; a file put in
// its place for a while takes writes as before, and the full one still takes none after.
TEST(PosixOutput, KeepsTheFailureOfTheFileBehindStandardOutput) {
    SharedOutputFile file;
    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    const int own = dup(STDOUT_FILENO);
    dup2(full, STDOUT_FILENO);
    EXPECT_EQ(sys::StandardOutputError(), 0u);
    for (bool collected : {false, true}) {
        sys::BufferStandardOutput(collected);
        EXPECT_FALSE(Write(sys::StdStream::Output, u"lost") && sys::FlushStandardOutput());
        EXPECT_EQ(sys::StandardOutputError(), 112u); // ERROR_DISK_FULL
    }
    EXPECT_TRUE(Write(sys::StdStream::Error, u"error\n")); // not kept back by the failure
    sys::BufferStandardOutput(false);
    dup2(own, STDOUT_FILENO);
    EXPECT_EQ(sys::StandardOutputError(), 0u);
    EXPECT_TRUE(Write(sys::StdStream::Output, u"kept"));
    dup2(full, STDOUT_FILENO);
    EXPECT_EQ(sys::StandardOutputError(), 112u);
    EXPECT_FALSE(Write(sys::StdStream::Output, u"lost"));
    close(full);
    close(own);
    EXPECT_EQ(file.Content(), "error\nkept");
}

TEST(PosixConsoleDevice, OpensTheTerminalOrNothing) {
    sys::Handle device = sys::OpenConsoleDevice();
    if (device != nullptr) {
        EXPECT_TRUE(sys::IsConsole(device));
        sys::CloseHandle(device);
    }
    sys::CloseHandle(nullptr); // harmless
}

} // namespace
