// The bounded formatter: each printf convention the messages use, and its bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "text/format.h"
#include "text/u16.h"

namespace {

template <typename... Args>
std::string Fmt(const char16_t* format, Args... args) {
    char16_t out[256];
    text::Format(out, 256, format, args...);
    return text::ToUtf8(out);
}

TEST(Format, Integers) {
    EXPECT_EQ(Fmt(u"%d|%i|%u", -42, 7, 4294967295u), "-42|7|4294967295");
    EXPECT_EQ(Fmt(u"%x|%X|%o", 0xBEEFu, 0xBEEFu, 8u), "beef|BEEF|10");
    EXPECT_EQ(Fmt(u"%08X", 0xA41000u), "00A41000");
    EXPECT_EQ(Fmt(u"%-5d|%5d|%05d|%+d|% d", 42, 42, -42, 3, 3), "42   |   42|-0042|+3| 3");
    EXPECT_EQ(Fmt(u"%.3d|%.0d|%#x|%#o", 5, 0, 255u, 8u), "005||0xff|010");
    EXPECT_EQ(Fmt(u"%d", INT32_MIN), "-2147483648");
    EXPECT_EQ(Fmt(u"%hu", 0x12345u), "9029");
}

TEST(Format, SixtyFourBit) {
    EXPECT_EQ(Fmt(u"%I64u", UINT64_MAX), "18446744073709551615");
    EXPECT_EQ(Fmt(u"%I64d", INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(Fmt(u"%016I64X", uint64_t{0xFFFFFFFFFFFF8000}), "FFFFFFFFFFFF8000");
    EXPECT_EQ(Fmt(u"%lld|%llu", int64_t{-1}, uint64_t{1} << 40), "-1|1099511627776");
    // %q: an unsigned 64-bit value; what follows it must still line up.
    EXPECT_EQ(Fmt(u"%q %s", uint64_t{1} << 32 | 5, u"next"), "4294967301 next");
}

TEST(Format, TextAndCharacters) {
    EXPECT_EQ(Fmt(u"\"%s\"", u"5X"), "\"5X\"");
    EXPECT_EQ(Fmt(u"[%6s][%-6s][%.2s]", u"ab", u"ab", u"abcdef"), "[    ab][ab    ][ab]");
    EXPECT_EQ(Fmt(u"[%*s][%-*s][%.*s]", 4, u"a", 3, u"b", 1, u"xyz"), "[   a][b  ][x]");
    EXPECT_EQ(Fmt(u"[%*d]", -4, 7), "[7   ]");
    EXPECT_EQ(Fmt(u"%c%c", u'\u00e9', u'x'), "\xc3\xa9x");
    EXPECT_EQ(Fmt(u"%s", static_cast<const char16_t*>(nullptr)), "(null)");
    EXPECT_EQ(Fmt(u"100%% %s", u"\u2022"), "100% \xe2\x80\xa2");
}

TEST(Format, FixedPoint) {
    EXPECT_EQ(Fmt(u"%.1f|%.2f|%f", 1.25, 2.675, 0.5), "1.2|2.67|0.500000");
    EXPECT_EQ(Fmt(u"%6.1f|%-6.1f|%06.1f", 3.14159, 3.14159, -3.14159), "   3.1|3.1   |-003.1");
    EXPECT_EQ(Fmt(u"%.0f|%.1f", 1023.5, 1048575.96), "1024|1048576.0");
}

TEST(Format, UnknownConversionsAreCopied) {
    EXPECT_EQ(Fmt(u"%y %5k %"), "%y %5k ");
}

TEST(Format, NeverWritesPastTheBufferAndAlwaysTerminates) {
    char16_t out[8];
    for (char16_t& c : out) c = u'#';
    EXPECT_EQ(text::Format(out, 5, u"%s-%d", u"abcdef", 12), 9u);
    EXPECT_EQ(text::ToUtf8(out), "abcd");
    EXPECT_EQ(out[5], u'#');
    EXPECT_EQ(text::Format(out, 1, u"xyz"), 3u);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(text::Format(out, 0, u"xyz"), 3u);
    EXPECT_EQ(out[0], 0);
    // The needed length counts what was cut, so callers can size a second try.
    std::u16string big(9000, u'a');
    char16_t small[16];
    EXPECT_EQ(text::Format(small, 16, u"<%s>", big.c_str()), 9002u);
    EXPECT_EQ(text::Length(small), 15u);
}

} // namespace
