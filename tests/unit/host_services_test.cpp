// The host services other than ExpandVariables, and the host's own text functions.
#include "builtins/host_functions.h"
#include "host_test_fixture.h"
#include "language/colors.h"

#include <cstdint>
#include <memory>

namespace {

using hosttest::HostFixture;
using HostServices = HostFixture;

struct TextCase {
    const char16_t* input;
    const char16_t* expected;
};

TEST(HostFunctions, CommaGroupsTheDigitsInThrees) {
    const TextCase cases[] = {
        {u"0", u"0"},
        {u"123", u"123"},
        {u"1234", u"1,234"},
        {u"1234567", u"1,234,567"},
        {u"18446744073709551615", u"18,446,744,073,709,551,615"},
        {u"-1234", u"-1,234"},
        {u"+123456", u"+123,456"},
        {u"1234.5678", u"1,234.5678"},
        {u"1234KB", u"1,234KB"},
        {u"", u""},
        {u"-", u"-"},
        {u"abc1234", u"abc1234"},
        {u" 1234", u" 1234"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(text::ToUtf8(host::CommaGroup(c.input)), text::ToUtf8(c.expected))
            << text::ToUtf8(c.input);
}

TEST(HostFunctions, PathKeepsTheDirectoryWithItsSeparator) {
    const TextCase cases[] = {
        {u"C:\\Program Files\\JPSoft\\tcc.exe", u"C:\\Program Files\\JPSoft\\"},
        {u"/usr/bin/plughost", u"/usr/bin/"},
        {u"dir/sub\\name", u"dir/sub\\"},
        {u"dir\\sub/name", u"dir\\sub/"},
        {u"/", u"/"},
        {u"name", u""},
        {u"c:name", u"c:"},
        {u"", u""},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(text::ToUtf8(host::PathPart(c.input)), text::ToUtf8(c.expected))
            << text::ToUtf8(c.input);
}

struct ColorCase {
    const char16_t* input;
    int result;
    int foreground;
    int background;
};

TEST(HostColors, ParseColorsReadsTheColourSyntax) {
    const ColorCase cases[] = {
        {u"black", 0, 0, -1},
        {u"blue", 0, 1, -1},
        {u"green", 0, 2, -1},
        {u"cyan", 0, 3, -1},
        {u"red", 0, 4, -1},
        {u"magenta", 0, 5, -1},
        {u"yellow", 0, 6, -1},
        {u"white", 0, 7, -1},
        {u"bright white", 0, 15, -1},
        {u"Bright Yellow ON Blue", 0, 14, 1},
        {u"  red  on  bright  green  ", 0, 4, 10},
        {u"12 on 3", 0, 12, 3},
        {u"bright 2", 0, 10, -1},
        {u"15 on 15", 0, 15, 15},
        {u"16", 1, -1, -1},
        {u"-1", 1, -1, -1},
        {u"", 1, -1, -1},
        {u"bright", 1, -1, -1},
        {u"red on", 1, -1, -1},
        {u"red blue", 1, -1, -1},
        {u"red on blue green", 1, -1, -1},
        {u"pink", 1, -1, -1},
        {u"on blue", 1, -1, -1},
    };
    for (const ColorCase& c : cases) {
        int foreground = -1;
        int background = -1;
        EXPECT_EQ(ParseColors(AsHost(c.input), &foreground, &background), c.result)
            << text::ToUtf8(c.input);
        EXPECT_EQ(foreground, c.foreground) << text::ToUtf8(c.input);
        EXPECT_EQ(background, c.background) << text::ToUtf8(c.input);
    }
    int foreground = -1;
    EXPECT_EQ(ParseColors(nullptr, &foreground, &foreground), 1);
    EXPECT_EQ(ParseColors(AsHost(u"red"), nullptr, nullptr), 0);
}

TEST(HostColors, AnsiSequencesFollowTheAttribute) {
    const TextCase cases[] = {
        {u"\x07", u"\x1b[0m"},       {u"\x0F", u"\x1b[0;97;40m"}, {u"\x1F", u"\x1b[0;97;44m"},
        {u"\x4E", u"\x1b[0;93;41m"}, {u"\x01", u"\x1b[0;34;40m"}, {u"\xC0", u"\x1b[0;30;101m"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(text::ToUtf8(host::AnsiColorSequence(c.input[0])), text::ToUtf8(c.expected));
}

TEST_F(HostServices, SetColorsColoursOnlyAConsole) {
    SetColors(0x1F);
    EXPECT_EQ(session.script.currentAttribute, 0x1Fu);
    EXPECT_EQ(fake::StdOut(), "");
    fake::SetIsConsole(sys::StdStream::Output, true);
    SetColors(0x4E);
    SetColors(0x07);
    EXPECT_EQ(fake::StdOut(), "\x1b[0;93;41m\x1b[0m");
    EXPECT_EQ(session.script.currentAttribute, 0x07u);
}

TEST_F(HostServices, GetAttributeGivesTheConsolesColours) {
    unsigned current = 0;
    unsigned normal = 0;
    GetAttribute(&current, &normal);
    EXPECT_EQ(current, 0x07u);
    EXPECT_EQ(normal, 0x07u);
    GetAttribute(nullptr, nullptr);
    // Without a console the colour last set; with one the console's own, which the plug-in sets
    // back by itself after its Ctrl-C mark.
    SetColors(0x0F);
    GetAttribute(&current, nullptr);
    EXPECT_EQ(current, 0x0Fu);
    fake::SetIsConsole(sys::StdStream::Output, true);
    fake::SetConsoleAttribute(0x17);
    GetAttribute(&current, nullptr);
    EXPECT_EQ(current, 0x17u);
}

TEST_F(HostServices, QueryMemSizeKnowsOnlyHeapBlocks) {
    void* block = sys::HeapAllocZeroed(100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(QueryMemSize(block), 100u);
    EXPECT_EQ(QueryMemSize(static_cast<char*>(block) + 8), 0u);
    EXPECT_EQ(QueryMemSize(nullptr), 0u);
    EXPECT_EQ(QueryMemSize(reinterpret_cast<void*>(uintptr_t(0xDEADBEE8))), 0u);
    int local = 0;
    EXPECT_EQ(QueryMemSize(&local), 0u);
    EXPECT_TRUE(sys::HeapRelease(block));
    EXPECT_EQ(QueryMemSize(block), 0u);
}

TEST_F(HostServices, QueryTrueNameGivesTheFullPath) {
    auto out = std::make_unique<char16_t[]>(kHostPathCapacity);
    EXPECT_EQ(QueryTrueName(AsHost(u"sub/file.bin"), AsHost(out.get())), 0);
    EXPECT_EQ(std::u16string(out.get()), u"/fake/cwd/sub/file.bin");
    out[0] = u'x';
    EXPECT_NE(QueryTrueName(nullptr, AsHost(out.get())), 0);
    EXPECT_EQ(out[0], 0);
}

TEST_F(HostServices, PrintfAndQprintfFormatToTheirHandles) {
    Printf(AsHost(u"%s v%u.%u.%u loaded.\r\n"), u"Korvanite", 0, 66, 4);
    Qprintf(sys::StdHandle(sys::StdStream::Error), AsHost(u"%d|%c|%q\r\n"), -5, u'z',
            uint64_t(0x100000000ULL));
    QPuts(AsHost(u"as is %s"));
    EXPECT_EQ(fake::StdOut(), "Korvanite v0.66.4 loaded.\r\nas is %s");
    EXPECT_EQ(fake::StdErr(), "-5|z|4294967296\r\n");
}

TEST_F(HostServices, LongFormattedTextIsNotCut) {
    std::u16string big(10000, u'q');
    int written = Printf(AsHost(u"<%s>"), big.c_str());
    EXPECT_EQ(written, 10002);
    EXPECT_EQ(fake::StdOut(), "<" + std::string(10000, 'q') + ">");
}

TEST_F(HostServices, YieldAndKeystrokesAreHarmless) {
    EXPECT_EQ(tty_yield(0), 0);
    EatKeystrokes();
    EXPECT_EQ(fake::StdOut(), "");
}

} // namespace
