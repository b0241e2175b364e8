// The pieces of BBDUMP's listing on their own: encoding detection, UTF-8 and UTF-16 decoding,
// control pictures, encoding names, the text column of each mode, the code page test, the
// automatic line width and the multiplier letters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/bbdump.h"
#include "commands/bbdump_vector.h"
#include "fake/fake_sys.h"
#include "text/format.h"
#include "text/u16.h"

namespace {

using namespace dump;

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}
uint32_t Size(const std::string& s) {
    return static_cast<uint32_t>(s.size());
}

std::string Utf16Le(std::string_view ascii) {
    std::string bytes;
    for (char c : ascii) bytes += std::string{c, '\0'};
    return bytes;
}
std::string Utf16Be(std::string_view ascii) {
    std::string bytes;
    for (char c : ascii) bytes += std::string{'\0', c};
    return bytes;
}

const std::string kSentence =
    "The quick brown fox jumps over the lazy dog, and then a few more words go by.";

TEST(DumpTextMode, LooksLikeUtf8) {
    const std::string text = "A line of text that holds one \xc3\xa9 character and more.";
    struct Case {
        const char* name;
        std::string bytes;
        int expected;
    } cases[] = {
        {"utf-8 text", text, 1},
        {"31 bytes", text.substr(0, 29) + "\xc3\xa9", 0},
        {"32 bytes", text.substr(0, 30) + "\xc3\xa9", 1},
        {"pure ascii", kSentence, 0},
        {"two leading continuation bytes", "\x80\xbf" + text, 1},
        {"three leading continuation bytes", "\x80\x80\x80" + text, 1},
        {"four leading continuation bytes", "\x80\x80\x80\x80" + text, 0},
        {"only continuation bytes", std::string(40, '\x80'), 0},
        {"lead without continuation", text + "\xc3(", 0},
        {"stray continuation", text + " \x80 ", 0},
        {"f8 byte", text + "\xf8", 0},
        {"sequence cut at the end", text + "\xe2\x82", 1},
        {"four-byte lead f7", kSentence + "\xf7\xbf\xbf\xbf", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LooksLikeUtf8(Bytes(c.bytes), Size(c.bytes)), c.expected);
    }
    EXPECT_EQ(LooksLikeUtf8(nullptr, 100), 0);
}

TEST(DumpTextMode, LooksAtNoMoreThanTheFirst128KiB) {
    std::string bytes(131072, 'a');
    bytes += "\xc3\xa9";
    EXPECT_EQ(LooksLikeUtf8(Bytes(bytes), Size(bytes)), 0);
    bytes[131070] = '\xc3';
    bytes[131071] = '\xa9';
    bytes += "\xff";
    EXPECT_EQ(LooksLikeUtf8(Bytes(bytes), Size(bytes)), 1);
}

TEST(DumpTextMode, GuessesUtf16ByItsSpacesAndZeros) {
    struct Case {
        const char* name;
        std::string bytes;
        int expected;
    } cases[] = {
        {"little-endian", Utf16Le(kSentence), TextUtf16LE},
        {"big-endian", Utf16Be(kSentence), TextUtf16BE},
        {"without spaces", Utf16Le("Averylongwordwithoutanyspacesinit,repeated"), 0},
        {"single bytes", kSentence, 0},
        {"31 bytes", Utf16Le("A few words in ").substr(0, 31), 0},
        {"32 bytes", Utf16Le("A few words in e"), TextUtf16LE},
        {"odd start", "x" + Utf16Le(kSentence), TextUtf16BE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GuessUtf16(Bytes(c.bytes), Size(c.bytes)), c.expected);
    }
}

TEST(DumpTextMode, PrefersUtf8ThenUtf16ThenTheCodePage) {
    char16_t table[kCodePageTableSize] = {};
    ASSERT_EQ(TestCodePage(437, table), 1);
    DumpSettings none{};
    DumpSettings withTable{};
    withTable.CodePageTable = table;
    DumpSettings partialTable{};
    char16_t partial[kCodePageTableSize] = {};
    partial[1] = u'x';
    partialTable.CodePageTable = partial;

    const std::string utf8 = kSentence + "\xc3\xa9";
    const std::string binary(64, '\x90');
    EXPECT_EQ(DetectTextMode(Bytes(utf8), Size(utf8), withTable), TextUtf8);
    const std::string le = Utf16Le(kSentence);
    EXPECT_EQ(DetectTextMode(Bytes(le), Size(le), withTable), TextUtf16LE);
    EXPECT_EQ(DetectTextMode(Bytes(binary), Size(binary), withTable), TextCodePage);
    EXPECT_EQ(DetectTextMode(Bytes(binary), Size(binary), none), TextRaw);
    EXPECT_EQ(DetectTextMode(Bytes(binary), Size(binary), partialTable), TextRaw);
    EXPECT_EQ(DetectTextMode(Bytes(binary), 31, withTable), TextCodePage);
}

TEST(DumpTextMode, DecodesUtf8AtAPosition) {
    const std::string bytes = "A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xc3("
                              "\xf4\x8f\xbf\xbf\xf5\x80\x80\x80\xc0\x80\xf8\xe2\x82";
    struct Case {
        uint32_t position;
        uint32_t expected;
    } cases[] = {
        {0, u'A'},  {1, 0xE9},    {2, u' '},  {3, 0x20AC},    {4, u' '}, {6, 0x1F600},
        {9, u' '},  {10, 0xFFFD}, {11, u'('}, {12, 0x10FFFF}, {16, 0},   {20, 0},
        {22, u' '}, {23, u' '},   {24, u' '}, {25, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(DecodeUtf8At(Bytes(bytes), Size(bytes), c.position), c.expected);
    }
    EXPECT_EQ(DecodeUtf8At(nullptr, 4, 0), 0u);
    EXPECT_EQ(DecodeUtf8At(Bytes(bytes), 0, 0), 0u);
    // The character is decoded whole from the buffer, not from a display range.
    EXPECT_EQ(DecodeUtf8At(Bytes(bytes), 3, 1), 0xE9u);
    EXPECT_EQ(DecodeUtf8At(Bytes(bytes), 2, 1), uint32_t{u' '});
}

TEST(DumpTextMode, DecodesUtf16AtAPosition) {
    const std::string le = std::string("A\0\x3d\xd8\x00\xde\x00\xdc\x3d\xd8", 10);
    EXPECT_EQ(DecodeUtf16At(Bytes(le), 10, 0, false), uint32_t{u'A'});
    EXPECT_EQ(DecodeUtf16At(Bytes(le), 10, 2, false), 0x1F600u);
    EXPECT_EQ(DecodeUtf16At(Bytes(le), 10, 4, false), 0xDE00u);
    EXPECT_EQ(DecodeUtf16At(Bytes(le), 10, 6, false), 0xDC00u);
    EXPECT_EQ(DecodeUtf16At(Bytes(le), 10, 8, false), 0xD83Du); // no room for its pair
    EXPECT_EQ(DecodeUtf16At(Bytes(le), 10, 9, false), 0u);
    EXPECT_EQ(DecodeUtf16At(Bytes(le), 10, 0, true), 0x4100u);
    EXPECT_EQ(DecodeUtf16At(Bytes(le), 1, 0, false), 0u);
    EXPECT_EQ(DecodeUtf16At(Bytes(le), 0, 0, false), 0u);
    EXPECT_EQ(DecodeUtf16At(nullptr, 10, 0, false), 0u);
}

TEST(DumpTextMode, NamesEncodingsAndControlPictures) {
    EXPECT_EQ(ControlPicture(0, u'.'), 0x2400);
    EXPECT_EQ(ControlPicture(9, u'.'), 0x2409);
    EXPECT_EQ(ControlPicture(0x1F, u'.'), 0x241F);
    EXPECT_EQ(ControlPicture(0x7F, u'.'), 0x2421);
    EXPECT_EQ(ControlPicture(0x85, u'.'), u'.');
    EXPECT_EQ(std::u16string(EncodingName(0, 0)), u"Raw");
    EXPECT_EQ(std::u16string(EncodingName(1, 0)), u"UTF-8");
    EXPECT_EQ(std::u16string(EncodingName(2, 0)), u"UTF-16LE");
    EXPECT_EQ(std::u16string(EncodingName(3, 0)), u"UTF-16BE");
    EXPECT_EQ(std::u16string(EncodingName(4, 850)), u"Code Page 850");
    // The name's text holds 16 units; longer numbers than any code page's are cut.
    EXPECT_EQ(std::u16string(EncodingName(4, 65001)), u"Code Page 65001");
    EXPECT_EQ(std::u16string(EncodingName(4, 4294967295u)), u"Code Page 42949");
    EXPECT_EQ(std::u16string(EncodingName(5, 0)), u"Unknown");
}

// One line's text column as UTF-8.
std::string Column(const std::string& bytes, uint64_t offset, uint32_t width, uint64_t end,
                   TextMode mode, bool pictures = false, const char16_t* table = nullptr) {
    char16_t out[2 * kMaxHexWidth];
    const TextColumnLine line{Bytes(bytes), Size(bytes), offset,   width, end,
                              mode,         0,           pictures, table};
    const uint32_t units = WriteTextColumn(line, out, std::size(out));
    return text::ToUtf8(std::u16string_view(out, units));
}

TEST(DumpTextColumn, ShowsEachModeOneColumnPerByte) {
    char16_t cp1252[kCodePageTableSize] = {};
    ASSERT_EQ(TestCodePage(1252, cp1252), 1);
    const std::string raw = std::string("a\xe9\t\0\x7f\x85z", 7);
    EXPECT_EQ(Column(raw, 0, 8, 7, TextRaw), "a \xc2\xb7\xc2\xb7\xc2\xb7 z ");
    EXPECT_EQ(Column(raw, 0, 8, 7, TextRaw, true), "a \xe2\x90\x89\xe2\x90\x80\xe2\x90\xa1 z ");
    EXPECT_EQ(Column(raw, 0, 8, 7, TextCodePage, false, cp1252),
              "a\xc3\xa9\xc2\xb7\xc2\xb7\xc2\xb7\xe2\x80\xa6z ");
    EXPECT_EQ(Column(raw, 0, 8, 3, TextCodePage, true, cp1252), "a\xc3\xa9\xe2\x90\x89     ");

    const std::string utf8 = "\xef\xbb\xbf\xe2\x82\xac\xf0\x9f\x98\x80\x80\xc3(\xf5\x80\x80\x80";
    EXPECT_EQ(Column(utf8, 0, 18, 17, TextUtf8),
              "   \xe2\x82\xac  \xf0\x9f\x98\x80   \xef\xbf\xbd(\xc2\xb7    ");
    // A byte order mark only counts at the buffer's first byte.
    EXPECT_EQ(Column("x" + utf8, 1, 3, 19, TextUtf8), "\xef\xbb\xbf  ");
    // A character that starts inside the range is shown whole.
    EXPECT_EQ(Column(utf8, 3, 4, 4, TextUtf8), "\xe2\x82\xac   ");

    const std::string le = std::string("\xff\xfe"
                                       "A\0\t\0\0\0\x3d\xd8\x00\xde"
                                       "B",
                                       13);
    EXPECT_EQ(Column(le, 0, 13, 13, TextUtf16LE), "  A \xc2\xb7 \xc2\xb7 \xf0\x9f\x98\x80  "
                                                  "  ");
    // Units are paired from the line's own offset.
    EXPECT_EQ(Column(std::string("\0A\0B\0", 5), 1, 4, 5, TextUtf16LE), "A B ");
    EXPECT_EQ(Column(std::string("\0A\0B\0", 5), 1, 4, 5, TextUtf16BE),
              "\xe4\x84\x80 \xe4\x88\x80 ");
    EXPECT_EQ(Column(std::string("\0A\0B\0", 5), 0, 4, 5, TextUtf16BE), "A B ");
}

// A long listing looks each byte up in a table made once; every line must read as the column
// made byte by byte does, in every mode and setting the table serves, partial lines included.
TEST(DumpTextColumn, ByteTableGivesTheSameColumn) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    all += all;
    char16_t cp1252[kCodePageTableSize] = {};
    ASSERT_EQ(TestCodePage(1252, cp1252), 1);
    struct Setting {
        TextMode mode;
        const char16_t* table;
    } const settings[] = {
        {TextRaw, nullptr},      {TextRaw, cp1252},      {TextCodePage, cp1252},
        {TextCodePage, nullptr}, {TextMode(9), nullptr},
    };
    struct Window {
        uint64_t offset;
        uint32_t width;
        uint64_t end;
        uint32_t capacity;
    };
    std::vector<Window> windows = {
        {0, 16, 512, 160},   {16, 80, 512, 160}, {240, 32, 250, 160}, {500, 16, 505, 160},
        {504, 16, 500, 160}, {0, 80, 512, 40},   {64, 8, 512, 8},
    };
    // Raw bytes go eight at a time: every byte value through that, and every tail after it.
    for (uint64_t offset = 3; offset < 512; offset += 80) windows.push_back({offset, 80, 512, 160});
    for (uint32_t shown = 0; shown <= 24; ++shown) windows.push_back({5, 24, 5 + shown, 160});
    for (const Setting& setting : settings)
        for (char16_t replacement : {char16_t(0), char16_t(u'.')})
            for (bool pictures : {false, true})
                for (const Window& w : windows) {
                    SCOPED_TRACE(testing::Message() << "mode " << setting.mode << " offset "
                                                    << w.offset << " width " << w.width);
                    const TextColumnLine line{Bytes(all),  Size(all), w.offset,
                                              w.width,     w.end,     setting.mode,
                                              replacement, pictures,  setting.table};
                    char16_t chars[kByteValues];
                    ASSERT_TRUE(ByteColumnChars(line, chars));
                    char16_t expected[2 * kMaxHexWidth];
                    char16_t actual[2 * kMaxHexWidth];
                    const uint32_t units = WriteTextColumn(line, expected, w.capacity);
                    ASSERT_EQ(WriteByteColumn(chars, line, actual, w.capacity), units);
                    EXPECT_EQ(std::u16string_view(actual, units),
                              std::u16string_view(expected, units));
                }
    for (TextMode mode : {TextUtf8, TextUtf16LE, TextUtf16BE}) {
        const TextColumnLine line{Bytes(all), Size(all), 0, 16, 512, mode, 0, false, nullptr};
        char16_t chars[kByteValues] = {u'x'};
        EXPECT_FALSE(ByteColumnChars(line, chars));
        EXPECT_EQ(chars[0], u'x');
    }
}

// The offset's digits at once: every digit in every place, in both cases, as the formatter
// writes them; and the hexadecimal columns by shuffles, every byte value in every place of a
// group.
TEST(DumpTextColumn, OffsetDigitsAreTheFormattersDigits) {
    for (uint32_t value : {0x01234567u, 0x89abcdefu, 0xfedcba98u, 0u, 0xffffffffu})
        for (bool upper : {false, true}) {
            char16_t digits[9] = {}, expected[9];
            ASSERT_EQ(PutHexDigits8(value, upper, digits), kVectorLoops);
            upper ? text::Format(expected, 9, u"%08X", value)
                  : text::Format(expected, 9, u"%08x", value);
            if (kVectorLoops) {
                EXPECT_EQ(std::u16string(digits), std::u16string(expected)) << value;
            }
        }
    uint8_t bytes[264];
    for (size_t k = 0; k < sizeof bytes; ++k) bytes[k] = static_cast<uint8_t>(k * 7);
    for (bool upper : {false, true}) {
        std::u16string expected;
        for (size_t k = 0; k < sizeof bytes; ++k) {
            char16_t cell[4];
            upper ? text::Format(cell, 4, u"%02X ", bytes[k])
                  : text::Format(cell, 4, u"%02x ", bytes[k]);
            expected += cell;
            if (k % 8 == 7) expected += u' ';
        }
        char16_t out[sizeof bytes * 4];
        const char16_t* end = PutHexGroupsOf8Runs(bytes, sizeof bytes / 8, upper, out);
        if (end != nullptr) {
            EXPECT_EQ(std::u16string_view(out, static_cast<size_t>(end - out)), expected);
        }
    }
}

TEST(DumpCodePages, AcceptsSingleByteCodePages) {
    struct Case {
        uint32_t codePage;
        uint8_t byte;
        char16_t character;
    } cases[] = {
        {437, 0x80, 0x00C7},  {437, 0xE9, 0x0398},  {850, 0xD5, 0x0131},
        {850, 0x9B, 0x00F8},  {1252, 0x80, 0x20AC}, {1252, 0xE9, 0x00E9},
        {1252, 0x81, 0x0081}, {0, 0x80, 0x20AC},    {1, 0x80, 0x00C7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        char16_t table[kCodePageTableSize];
        for (char16_t& unit : table) unit = u'?';
        ASSERT_EQ(TestCodePage(c.codePage, table), 1);
        EXPECT_EQ(table[0], 0);
        EXPECT_EQ(table[u'A'], u'A');
        EXPECT_EQ(table[c.byte], c.character);
        EXPECT_EQ(table[256], u'?');
    }
    EXPECT_EQ(TestCodePage(437, nullptr), 1);
    EXPECT_EQ(TestCodePage(932, nullptr), 0);
    EXPECT_EQ(TestCodePage(936, nullptr), 0);
    EXPECT_EQ(TestCodePage(12345, nullptr), 0);
}

TEST(DumpLayout, ComputesTheAutomaticLineWidth) {
    struct Case {
        uint32_t consoleWidth;
        uint32_t wordLen;
        uint32_t format;
        uint32_t addressWidth;
        uint32_t flags;
        uint32_t expected;
    } cases[] = {
        {100, 1, 0, 8, 0, 16},
        {80, 1, 0, 8, 0, 16},
        {120, 1, 0, 8, 0, 24},
        {98, 1, 0, 8, 0, 16},
        {99, 1, 0, 8, 0, 16},
        {100, 1, 0, 8, NoAddressField, 24},
        {400, 1, 0, 8, 0, 80},
        {22, 1, 0, 8, 0, 16},
        {22, 3, 0, 8, 0, 18},
        {100, 1, 3, 8, 0, 8},
        {100, 8, 3, 16, 0, 16},
        {120, 1, 0, 16, 0, 24},
        {132, 1, 0, 8, NoTextField, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.consoleWidth << " " << c.wordLen << " " << c.format);
        DumpSettings settings{};
        settings.ConsoleWidth = c.consoleWidth;
        settings.WordLen = c.wordLen;
        settings.GroupWidth = GroupWidthFor(c.wordLen);
        settings.AddressWidth = c.addressWidth;
        EXPECT_EQ(AutoHexWidth(settings, ValueDigits(c.wordLen, c.format), c.flags), c.expected);
    }
}

TEST(DumpLayout, KnowsTheWidthOfEveryValue) {
    const uint32_t expected[8][4] = {
        {2, 3, 3, 4},     {4, 6, 5, 6},     {6, 8, 8, 8},     {8, 11, 10, 11},
        {10, 14, 13, 13}, {12, 16, 15, 16}, {14, 19, 17, 18}, {16, 22, 20, 21},
    };
    for (uint32_t w = 1; w <= 8; ++w)
        for (uint32_t f = 0; f < 4; ++f) EXPECT_EQ(ValueDigits(w, f), expected[w - 1][f]);
    const uint32_t groups[8] = {8, 8, 9, 8, 10, 12, 7, 8};
    for (uint32_t w = 1; w <= 8; ++w) EXPECT_EQ(GroupWidthFor(w), groups[w - 1]);
    for (uint32_t n = 1; n <= 24; ++n)
        EXPECT_EQ(std::u16string(Blanks(n)), std::u16string(n, u' '));
}

TEST(DumpLayout, RefusesAMissingBufferOrSettings) {
    DumpSettings settings{};
    EXPECT_EQ(DumpBuffer(nullptr, 0x1000, 16, 0), -1);
    EXPECT_EQ(DumpBuffer(&settings, 0, 16, 0), -1);
}

class DumpValues : public ::testing::Test {
protected:
    void SetUp() override { fake::Reset(); }
    void TearDown() override { fake::Reset(); }
};

TEST_F(DumpValues, ReadsMultiplierLetters) {
    struct Case {
        const char16_t* option;
        uint32_t expected;
    } cases[] = {
        {u"/C:4K", 4096},       {u"/M=2q", 16},          {u"/E0x100", 256},
        {u"/M:1g", 1000000000}, {u"/M:0G", 0},           {u"/M:5KB", 5120},
        {u"/c:7w", 14},         {u"/c:3D", 12},          {u"/m:2m", 2000000},
        {u"/m:1M", 1048576},    {u"/m:3G", 3221225472u}, {u"/m:1k", 1000},
        {u"/m:9b", 9},          {u"/M:0o17", 15},        {u"/M:4294967295", 4294967295u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.option));
        std::u16string option = c.option;
        uint32_t value = 7;
        EXPECT_EQ(ParseDumpValue(u"max bytes", option.data(), &value), 0);
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(option, c.option);
    }
    std::u16string missing = u"/c";
    uint32_t value = 7;
    EXPECT_EQ(ParseDumpValue(u"start address", missing.data(), &value), -2);
    std::u16string unknown = u"/m:5x";
    EXPECT_EQ(ParseDumpValue(u"max bytes", unknown.data(), &value), -3);
    std::u16string overflow = u"/m:4G";
    EXPECT_EQ(ParseDumpValue(u"max bytes", overflow.data(), &value), -4);
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(overflow, u"/m:4G");
}

} // namespace
