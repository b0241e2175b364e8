// The bounded formatter: each printf convention the messages use, and its bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "text/format.h"
#include "text/u16.h"

namespace {

template <typename... Args>
std::string Fmt(text::FormatString<text::FormatArgument<Args>...> format, Args... args) {
    char16_t out[256];
    text::Format(out, 256, format, args...);
    return text::ToUtf8(out);
}

// Which formats fit which arguments, decided when this file is compiled: a call of text::Format
// with a format that does not fit its arguments does not compile.
using text::FormatFits;
static_assert(FormatFits<int, int, unsigned>(u"%d|%i|%u"));
static_assert(FormatFits<unsigned, unsigned, unsigned>(u"%x|%X|%o"));
static_assert(FormatFits<uint8_t, char16_t, int16_t>(u"%u %d %d"));   // small types
static_assert(FormatFits<int, const char16_t*, char16_t>(u"%-*s%c")); // a width from the arguments
static_assert(FormatFits<int, unsigned>(u"%.*hu"));                   // h reads 32 bits
static_assert(FormatFits<uint64_t, int64_t, uint64_t>(u"%I64u %lld %q")); // 64 bits
static_assert(FormatFits<int64_t, double>(u"%q %07.2f"));
static_assert(FormatFits<>(u"100%% of nothing"));
static_assert(!FormatFits<unsigned>(u"%d")); // signedness
static_assert(!FormatFits<int>(u"%u"));
static_assert(!FormatFits<int16_t>(u"%x"));
static_assert(!FormatFits<unsigned>(u"%I64u")); // a 32-bit value where 64 bits are read
static_assert(!FormatFits<uint64_t>(u"%u"));    // and the other way round
static_assert(!FormatFits<int64_t>(u"%I64u"));
static_assert(!FormatFits<unsigned>(u"%q"));
static_assert(!FormatFits<int>(u"%s"));         // a text
static_assert(!FormatFits<const char*>(u"%s")); // not UTF-16
static_assert(!FormatFits<const char16_t*>(u"%c"));
static_assert(!FormatFits<int>(u"%f"));
static_assert(!FormatFits<bool>(u"%d"));
static_assert(!FormatFits<unsigned, const char16_t*>(u"%*s"));  // "*" takes an int
static_assert(!FormatFits<const char16_t*>(u"%ls"));            // a size where it means nothing
static_assert(!FormatFits<>(u"%d"));                            // too few arguments
static_assert(!FormatFits<int, int>(u"%d"));                    // too many
static_assert(!FormatFits<int>(u"%y"));                         // an unknown conversion
static_assert(!FormatFits<>(u"50%"));                           // a "%" at the end
static_assert(FormatFits<long>(u"%ld") == (sizeof(long) == 4)); // l reads 32 bits

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

// Which the checked Format refuses when it is compiled; FormatUnchecked copies them.
TEST(Format, UnknownConversionsAreCopied) {
    char16_t out[16];
    text::FormatUnchecked(out, 16, u"%y %5k %");
    EXPECT_EQ(text::ToUtf8(out), "%y %5k ");
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
