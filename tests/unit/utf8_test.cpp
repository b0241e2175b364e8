// UTF-16 lengths and the UTF-8 encoding of output. The encoder goes eight units at a time, or 32
// where the processor has AVX2; this file is built twice, with the vector instructions of the
// native build and with the portable code that builds without them, so that both are checked.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "text/u16.h"

namespace {

TEST(Utf8, RoundTripsAndReplacesInvalidInput) {
    EXPECT_EQ(text::ToUtf8(text::FromUtf8("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80")),
              "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(text::ToUtf8(u"\xD800x"), "\xef\xbf\xbdx");
    // One U+FFFD for each maximal subpart: the longest start of a sequence that could still
    // have become a character, or else one byte.
    const struct {
        std::string_view bytes;
        std::u16string_view units;
    } cases[] = {
        {"\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf", u"\U0001F600\U0010FFFF"},
        {"\xc3", u"\uFFFD"},
        {"\xe2\x82", u"\uFFFD"}, // cut short by the end
        {"\xe2\x82"
         "A\xf0\x9f\x98",
         u"\uFFFDA\uFFFD"},            // by a byte that cannot continue it
        {"\xc0\xaf", u"\uFFFD\uFFFD"}, // overlong: C0 begins nothing
        {"\xe0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},           // a surrogate
        {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // past U+10FFFF
        {"\xf8\x88\x80\x80\x80\xff", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        // Unicode's own example (chapter 3, "U+FFFD Substitution of Maximal Subparts").
        {"\x61\xf1\x80\x80\xe1\x80\xc2\x62\x80\x63\x80\xbf\x64",
         u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
    };
    for (const auto& c : cases) EXPECT_EQ(text::FromUtf8(c.bytes), c.units) << c.bytes;
}

// Lengths are counted a round of units at a time from an aligned address; the text may start
// at any place in a round, the terminator stand at any place after it, and zero units before
// the text do not count.
TEST(Length, FindsTheTerminatorAtEveryPlace) {
    alignas(64) char16_t units[160];
    for (size_t start = 0; start < 32; ++start) {
        for (size_t length = 0; length < 100; ++length) {
            for (char16_t& unit : units) unit = 0;
            for (size_t k = 0; k < length; ++k) units[start + k] = static_cast<char16_t>(0x100 + k);
            EXPECT_EQ(text::Length(units + start), length) << start;
        }
    }
    EXPECT_EQ(text::Length(nullptr), 0u);
}

// ASCII goes in runs of eight units; what is not ASCII may stand anywhere in or around a run.
TEST(Utf8, EncodesEveryPositionAroundAsciiRuns) {
    struct Case {
        std::u16string_view in;
        std::string_view out;
    } const cases[] = {
        {u"", ""},
        {u"01234567", "01234567"},
        {u"0123456789abcdefXY", "0123456789abcdefXY"},
        {u"\u00e9"
         "1234567",
         "\xc3\xa9"
         "1234567"},
        {u"1234567\u00e9", "1234567\xc3\xa9"},
        {u"12345678\u20ac", "12345678\xe2\x82\xac"},
        {u"1234567\U0001F600x", "1234567\xf0\x9f\x98\x80x"},
        {u"123456\xD83D", "123456\xef\xbf\xbd"}, // a pair cut at the end
        {u"1234567\xDC00"
         "12345678",
         "1234567\xef\xbf\xbd"
         "12345678"}, // a lone low half
        {u"\x7f\x80\x7f\x7f\x7f\x7f\x7f\x7f\x7f", "\x7f\xc2\x80\x7f\x7f\x7f\x7f\x7f\x7f\x7f"},
        {u"abcdefgh\u00b7ijklmnop\u00b7", "abcdefgh\xc2\xb7ijklmnop\xc2\xb7"},
    };
    for (const Case& c : cases) {
        char out[64];
        ASSERT_LE(c.in.size() * text::kUtf8BytesPerUnit, sizeof out);
        const size_t bytes = text::EncodeUtf8(c.in, out);
        EXPECT_EQ(std::string_view(out, bytes), c.out) << text::ToUtf8(c.in);
        EXPECT_EQ(text::ToUtf8(c.in), c.out);
    }
}

// Where the processor allows, units go 32 at a time while all need at most two bytes; else runs
// of eight take a short path when every unit needs at most two bytes (without a branch per unit
// when at most two need two). Any mix of one-, two-, three- and four-byte characters, surrogate
// halves and zero units gives what encoding one character at a time gives, and nothing is
// written past three bytes per unit.
TEST(Utf8, MixedTextMatchesCharacterByCharacterEncoding) {
    const char16_t palette[] = {u'a',   0x7F,   0x80,   0xB7,   0x7FF, 0x800,
                                0x2400, 0xFFFF, 0xD83D, 0xDE00, 0};
    auto oneByOne = [](std::u16string_view in) {
        std::string out;
        for (size_t i = 0; i < in.size(); ++i) {
            char32_t c = in[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
                in[i + 1] <= 0xDFFF)
                c = 0x10000 + ((c - 0xD800) << 10) + (in[++i] - 0xDC00);
            else if (c >= 0xD800 && c <= 0xDFFF)
                c = 0xFFFD;
            const int extra = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
            static const unsigned char kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
            out += static_cast<char>(kLead[extra] | (c >> (6 * extra)));
            for (int k = extra - 1; k >= 0; --k)
                out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
        }
        return out;
    };
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int round = 0; round < 8000; ++round) {
        // Mostly ASCII with the others scattered, all drawn from the whole palette, ASCII and
        // dots only (a text column), or long ASCII with a few dots.
        const int mix = round % 4;
        std::u16string in(next() % (mix == 3 ? 1000 : 130), u' ');
        for (char16_t& unit : in)
            unit = mix == 3                      ? (next() % 200 == 0 ? 0xB7 : u'a')
                   : mix == 2                    ? (next() % 3 == 0 ? 0xB7 : u'a')
                   : mix == 0 && next() % 4 != 0 ? u'0' + next() % 10
                                                 : palette[next() % std::size(palette)];
        std::string out(in.size() * text::kUtf8BytesPerUnit + 8, '\x55');
        const size_t bytes = text::EncodeUtf8(in, out.data());
        ASSERT_EQ(out.substr(0, bytes), oneByOne(in)) << round;
        ASSERT_EQ(out.substr(in.size() * text::kUtf8BytesPerUnit), std::string(8, '\x55'));
    }
    // Every unit below 0x1000, at every place of a block and beside a dot.
    for (char16_t unit = 0; unit < 0x1000; ++unit) {
        std::u16string in(70, u'a');
        in[unit % 64] = unit;
        in[(unit / 64) % 70] = 0xB7;
        char out[70 * text::kUtf8BytesPerUnit];
        ASSERT_EQ(std::string(out, text::EncodeUtf8(in, out)), oneByOne(in)) << int{unit};
    }
}

} // namespace
