// @BPEEKX, @BPEEKF, @BGETHEX, @BGETB64 and @BGETTEXT through their exports: word sizes, byte
// orders, output formats, floating-point numbers as text, bytes as hexadecimal digits and base64,
// text in every encoding, and the checks in order.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "text/u16.h"
#include "values_test_fixture.h"

namespace {

using Peek = valuestest::ValuesFixture;

const std::vector<uint8_t> kMixed = {0x71, 0x82, 0xF3, 0x14, 0xA5, 0x36, 0x47, 0xE8, 0x99, 0x0A};

TEST_F(Peek, EveryWordSizeOrderAndFormat) {
    struct Case {
        int offset;
        int size;
        int bigEndian;
        const char* unsignedText;
        const char* signedText;
        const char* hex;
        const char* bareHex;
        const char* octal;
    } cases[] = {
        {0, 1, 0, "113", "113", "0x71", "71", "0o161"},
        {0, 2, 0, "33393", "-32143", "0x8271", "8271", "0o101161"},
        {0, 3, 0, "15958641", "-818575", "0xF38271", "F38271", "0o74701161"},
        {0, 4, 0, "351502961", "351502961", "0x14F38271", "14F38271", "0o02474701161"},
        {0, 5, 0, "709021106801", "-390490520975", "0xA514F38271", "A514F38271",
         "0o12242474701161"},
        {0, 6, 0, "60082649006705", "60082649006705", "0x36A514F38271", "36A514F38271",
         "0o1552242474701161"},
        {0, 7, 0, "20044805995463281", "20044805995463281", "0x4736A514F38271", "4736A514F38271",
         "0o1071552242474701161"},
        {0, 8, 0, "16737406622794744433", "-1709337450914807183", "0xE84736A514F38271",
         "E84736A514F38271", "0o1641071552242474701161"},
        {0, 1, 1, "113", "113", "0x71", "71", "0o161"},
        {0, 2, 1, "29058", "29058", "0x7182", "7182", "0o070602"},
        {0, 3, 1, "7439091", "7439091", "0x7182F3", "7182F3", "0o34301363"},
        {0, 4, 1, "1904407316", "1904407316", "0x7182F314", "7182F314", "0o16140571424"},
        {0, 5, 1, "487528273061", "487528273061", "0x7182F314A5", "7182F314A5", "0o07060274612245"},
        {0, 6, 1, "124807237903670", "124807237903670", "0x7182F314A536", "7182F314A536",
         "0o3430136305122466"},
        {0, 7, 1, "31950652903339591", "31950652903339591", "0x7182F314A53647", "7182F314A53647",
         "0o1614057142451233107"},
        {0, 8, 1, "8179367143254935528", "8179367143254935528", "0x7182F314A53647E8",
         "7182F314A53647E8", "0o0706027461224515443750"},
        {1, 1, 1, "130", "-126", "0x82", "82", "0o202"},
        {1, 2, 1, "33523", "-32013", "0x82F3", "82F3", "0o101363"},
        {1, 3, 1, "8581908", "-8195308", "0x82F314", "82F314", "0o40571424"},
        {1, 4, 1, "2196968613", "-2097998683", "0x82F314A5", "82F314A5", "0o20274612245"},
        {1, 5, 1, "562423964982", "-537087662794", "0x82F314A536", "82F314A536",
         "0o10136305122466"},
        {1, 6, 1, "143980535035463", "-137494441675193", "0x82F314A53647", "82F314A53647",
         "0o4057142451233107"},
        {1, 7, 1, "36859016969078760", "-35198577068849176", "0x82F314A53647E8", "82F314A53647E8",
         "0o2027461224515443750"},
        {1, 8, 1, "9435908344084162713", "-9010835729625388903", "0x82F314A53647E899",
         "82F314A53647E899", "0o1013630512246621764231"},
    };
    const uint32_t buffer = NewBuffer(16, kMixed);
    for (const Case& c : cases) {
        const std::string place = std::to_string(c.offset) + "," + std::to_string(c.size);
        const std::string flags = c.bigEndian ? "1" : "0";
        const std::pair<const char*, const char*> formats[] = {
            {"", c.unsignedText}, {"0", c.unsignedText}, {"+", c.signedText}, {"1", c.signedText},
            {"2", c.hex},         {"3", c.bareHex},      {"4", c.octal},      {"5", c.unsignedText},
        };
        for (const auto& [format, expected] : formats) {
            const std::string rest = place + "," + format + "," + flags;
            SCOPED_TRACE(rest);
            const storetest::Call call = On(f_bpeekx, buffer, text::FromUtf8(rest));
            EXPECT_EQ(call.result, 0);
            EXPECT_EQ(call.text, expected);
            EXPECT_EQ(fake::StdErr(), "");
        }
    }
    EXPECT_EQ(Bytes(buffer, kMixed.size()), kMixed);
}

TEST_F(Peek, EdgeCases) {
    const uint32_t pair = NewBuffer(16, {0x34, 0x12});
    const uint32_t ones = NewBuffer(8, std::vector<uint8_t>(8, 0xFF));
    const uint32_t high = NewBuffer(8, {0x80});
    const uint32_t last = NewBuffer(16, {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
    struct Case {
        uint32_t buffer;
        const char16_t* rest;
        const char* expected;
    } cases[] = {
        {pair, u"0,2", "4660"},
        {pair, u"0,2,,1", "13330"},
        {pair, u"0,2,3", "1234"},
        {pair, u"0,2,3,1", "3412"},
        {pair, u"0,2,2", "0x1234"},
        {pair, u"1,2,2", "0x0012"},
        {pair, u"1,2,3", "0012"},
        {pair, u"1,2,4", "0o000022"},
        {pair, u"0,1,0,0xFFFFFFFE", "52"}, // every flag but BigEndian is ignored
        {pair, u"0,2,0,0x81", "13330"},
        {pair, u"0,1,0,1", "52"}, // BigEndian means nothing for one byte
        {pair, u"0,2,,", "4660"},
        {pair, u"0,2,0,0,extra", "4660"}, // a sixth argument is ignored
        {ones, u"0,8", "18446744073709551615"},
        {ones, u"0,8,+", "-1"},
        {ones, u"0,8,2", "0xFFFFFFFFFFFFFFFF"},
        {ones, u"0,8,4", "0o1777777777777777777777"},
        {high, u"0,1,1", "-128"},
        {high, u"0,1,0", "128"},
        {high, u"0,1,4", "0o200"},
        {high, u"0,1,5", "128"},
        {high, u"0,1,4294967295", "128"},
        {high, u"0x0,0o1", "128"},
        {last, u"8,8,3", "0807060504030201"},
        {last, u"0x8,8,3,1", "0102030405060708"},
        {last, u"0o10,8,3", "0807060504030201"},
        {last, u"0x10,0", "Word size must be 1 to 8: 0"}, // the size check comes first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.rest));
        const storetest::Call call = On(f_bpeekx, c.buffer, c.rest);
        if (call.result == 0) {
            EXPECT_EQ(call.text, c.expected);
            EXPECT_EQ(fake::StdErr(), "");
        } else {
            EXPECT_EQ(fake::StdErr(), Error(c.expected));
        }
    }
}

TEST_F(Peek, TheFirstFailingCheckIsReported) {
    const uint32_t buffer = NewBuffer(16);
    const std::u16string h = Handle(buffer);
    ExpectRefused(
        f_bpeekx,
        {
            {u"", "Missing handle"},
            {u",0,1", "Missing handle"},
            {u"xyz,0,1", "Bad handle: \"XYZ\""},
            {u"0,0,1", "Bad handle: \"0\""},
            {Handle(buffer + 4) + u",0,1",
             "Bad handle: \"" + text::ToUtf8(Handle(buffer + 4)) + "\""},
            {u"FFF8", "Bad handle: \"FFF8\""},
            {h, "Missing offset"},
            {h + u",,1", "Missing offset"},
            {h + u",abc,9,x,y", "Bad offset: \"ABC\""},
            {h + u",16k,1", "Bad offset: \"16K\""},
            {h + u",-1,1", "Bad offset: \"-1\""},
            {h + u",4294967296,1", "Bad offset: \"4294967296\""},
            {h + u",0", "Missing word size"},
            {h + u",0,", "Missing word size"},
            {h + u",0,x", "Bad word size: \"X\""},
            {h + u",0,4294967296", "Bad word size: \"4294967296\""},
            {h + u",0,0", "Word size must be 1 to 8: 0"},
            {h + u",0,9,bad,bad", "Word size must be 1 to 8: 9"},
            {h + u",0,4294967295", "Word size must be 1 to 8: 4294967295"},
            {h + u",0,1,-1", "Bad format value: \"-1\""},
            {h + u",0,1,+1", "Bad format value: \"+1\""},
            {h + u",0,1,-", "Bad format value: \"-\""},
            {h + u",0,1,hex,bad", "Bad format value: \"HEX\""},
            {h + u",0,1,4294967296", "Bad format value: \"4294967296\""},
            {h + u",99,1,0,bad", "Bad flags value: \"BAD\""},
            {h + u",0,1,,0x", "Bad flags value: \"0X\""},
            {h + u",9,8", "Read past end of buffer:\r\n"
                          "   Offset = 9   WordSize = 8   Buffer size = 16"},
            {h + u",16,1", "Read past end of buffer:\r\n"
                           "   Offset = 16   WordSize = 1   Buffer size = 16"},
            {h + u",4294967295,8", "Read past end of buffer:\r\n"
                                   "   Offset = 4294967295   WordSize = 8   Buffer size = 16"},
        },
        buffer, std::vector<uint8_t>(16, 0));
}

TEST_F(Peek, ReadsUpToTheLastByteAndNoFurther) {
    const uint32_t buffer = NewBuffer(16, {});
    BufferAt(buffer)[15] = 0xAB;
    EXPECT_EQ(On(f_bpeekx, buffer, u"15,1,3").text, "AB");
    EXPECT_EQ(On(f_bpeekx, buffer, u"8,8,3").text, "AB00000000000000");
    EXPECT_EQ(On(f_bpeekx, buffer, u"0,8,3").text, "0000000000000000");
    EXPECT_EQ(On(f_bpeekx, buffer, u"15,2").result, -1);
}

TEST_F(Peek, WithoutTextGivesInvalidParameter) {
    EXPECT_EQ(f_bpeekx(nullptr), 87);
    EXPECT_EQ(fake::StdErr(), "");
}

TEST_F(Peek, FloatsAsTheShortestTextThatReadsBack) {
    struct Case {
        std::vector<uint8_t> bytes; // little-endian
        const char* text;
    } cases[] = {
        {{0xC3, 0xF5, 0x48, 0x40}, "3.14"},
        {{0xCD, 0xCC, 0xCC, 0x3D}, "0.1"},
        {{0x00, 0x00, 0x80, 0x3F}, "1"},
        {{0xCA, 0xF2, 0x49, 0x71}, "1e+30"},
        {{0x00, 0x00, 0x00, 0x80}, "-0"},
        {{0x00, 0x00, 0x80, 0x7F}, "inf"},
        {{0x00, 0x00, 0x80, 0xFF}, "-inf"},
        {{0x00, 0x00, 0xC0, 0x7F}, "nan"},
        {{0x00, 0x00, 0xC0, 0xFF}, "-nan"},
        {{0x01, 0x00, 0x80, 0x7F}, "nan"}, // a payload is not shown
        {{0x01, 0x00, 0x00, 0x00}, "1e-45"},
        {{0xFF, 0xFF, 0x7F, 0x7F}, "3.4028235e+38"},
        {{0xA3, 0x79, 0xEB, 0x4C}, "123456792"}, // fixed, exact, where shorter than 1.2345679e+08
        {{0xAC, 0xC5, 0x27, 0x37}, "1e-05"},
        {{0x1F, 0x85, 0xEB, 0x51, 0xB8, 0x1E, 0x09, 0x40}, "3.14"},
        {{0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F}, "0.1"},
        {{0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0xE5, 0x3F}, "0.6666666666666666"},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0xBF}, "-1"},
        {{0x01, 0, 0, 0, 0, 0, 0, 0}, "5e-324"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF, 0x7F}, "1.7976931348623157e+308"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0x80}, "-2.225073858507201e-308"},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x7F}, "nan"},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0xFF}, "-inf"},
        {{0xA0, 0x3D, 0x8D, 0x99, 0x2E, 0xFC, 0x06, 0x44}, "5.3e+19"},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<uint8_t> reversed(c.bytes.rbegin(), c.bytes.rend());
        const std::u16string size = c.bytes.size() == 4 ? u"4" : u"8";
        // The number at an odd offset, then in big-endian order.
        std::vector<uint8_t> placed = {0xEE};
        placed.insert(placed.end(), c.bytes.begin(), c.bytes.end());
        for (const auto& [bytes, rest] :
             {std::pair{placed, u"1," + size}, std::pair{reversed, u"0," + size + u",1"},
              std::pair{reversed, u"0," + size + u",0x81"}}) {
            const uint32_t buffer = NewBuffer(bytes.size(), bytes);
            const storetest::Call call = On(f_bpeekf, buffer, rest);
            EXPECT_EQ(call.result, 0);
            EXPECT_EQ(call.text, c.text);
            EXPECT_EQ(fake::StdErr(), "");
        }
    }
    const uint32_t buffer = NewBuffer(12);
    const std::u16string h = Handle(buffer);
    ExpectRefused(f_bpeekf,
                  {
                      {u"", "Missing handle"},
                      {u"xyz,0,4", "Bad handle: \"XYZ\""},
                      {h, "Missing offset"},
                      {h + u",x,4", "Bad offset: \"X\""},
                      {h + u",0", "Missing word size"},
                      {h + u",0,four", "Bad word size: \"FOUR\""},
                      {h + u",0,2", "Word size must be 4 or 8: 2"},
                      {h + u",0,16,x", "Word size must be 4 or 8: 16"},
                      {h + u",0,0", "Word size must be 4 or 8: 0"},
                      {h + u",0,4,big", "Bad flags value: \"BIG\""},
                      {h + u",8,8", "Read past end of buffer:\r\n"
                                    "   Offset = 8   WordSize = 8   Buffer size = 12"},
                      {h + u",9,4,1", "Read past end of buffer:\r\n"
                                      "   Offset = 9   WordSize = 4   Buffer size = 12"},
                      {h + u",4294967295,8", "Read past end of buffer:\r\n"
                                             "   Offset = 4294967295   WordSize = 8   Buffer "
                                             "size = 12"},
                  },
                  buffer, std::vector<uint8_t>(12, 0));
    EXPECT_EQ(On(f_bpeekf, buffer, u"8,4").text, "0"); // the last four bytes
    EXPECT_EQ(f_bpeekf(nullptr), 87);
}

TEST_F(Peek, GivesBytesAsHexDigitsAndTextInEveryEncoding) {
    struct Case {
        FeatureExport feature;
        std::vector<uint8_t> bytes;
        const char16_t* arguments; // after the handle and a comma
        std::u16string result;
    } cases[] = {
        {f_bgethex, kMixed, u"2,3", u"F314A5"},
        {f_bgethex, kMixed, u"0x8,100", u"990A"}, // cut at the end
        {f_bgetb64, kMixed, u"0,1", u"cQ=="},
        {f_bgetb64, kMixed, u"0,2", u"cYI="},
        {f_bgetb64, kMixed, u"0,3", u"cYLz"},
        {f_bgetb64, kMixed, u"2,3", u"8xSl"},
        {f_bgetb64, kMixed, u"0o10,100", u"mQo="}, // cut at the end
        {f_bgetb64, kMixed, u"", u"cYLzFKU2R+iZCg=="},
        {f_bgetb64, {0xFB, 0xFF, 0xBF}, u"0,0", u"+/+/"}, // the standard alphabet
        {f_bgettext, {'H', 'i', 0, 'y'}, u"0", u"Hi"},    // to the first zero
        {f_bgettext, {'H', 'i', 0, 'y'}, u"3,100", u"y"},
        {f_bgettext, {0, 'x'}, u"0", u""},
        {f_bgettext, {'a', 0xE9, 0x80}, u"0,,a", u"a\u00E9\u20AC"},  // code page 1252
        {f_bgettext, {'a', 0x82, 0xE9}, u"0,0,O", u"a\u00E9\u0398"}, // code page 437
        {f_bgettext, {0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80}, u"0,,8", u"\u00E9\U0001F600"},
        {f_bgettext, {0x3D, 0xD8, 0x00, 0xDE, 'h', 0, 0, 0, 'x'}, u"0,,W", u"\U0001F600h"},
        // Malformed sequences: one U+FFFD for each longest part of one.
        {f_bgettext,
         {0xE2, 0x82, 'A', 0xC0, 0xAF, 0xED, 0xA0},
         u"0,,8",
         u"\uFFFDA\uFFFD\uFFFD\uFFFD\uFFFD"},
        {f_bgettext, {0xE2, 0x82, 0, 'A'}, u"0,,8", u"\uFFFD"},
        {f_bgettext, {0x00, 0xD8, 'A', 0, 0x3D, 0xD8, 'B'}, u"0,,w", u"\uFFFDA\uFFFD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments) + " " + text::ToUtf8(c.result));
        const storetest::Call call = On(c.feature, NewBuffer(c.bytes.size(), c.bytes), c.arguments);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, text::ToUtf8(c.result));
    }
    // The whole text or none: 4,095 bytes as digits, 6,141 as base64 and 8,191 characters fit
    // the result.
    const std::vector<uint8_t> letters(9000, 'a');
    const uint32_t buffer = NewBuffer(9000, letters);
    std::string digits;
    for (int i = 0; i < 4095; ++i) digits += "61";
    EXPECT_EQ(On(f_bgethex, buffer, u"0,4095").text, digits);
    std::string base64;
    for (int i = 0; i < 6141 / 3; ++i) base64 += "YWFh";
    EXPECT_EQ(On(f_bgetb64, buffer, u"2859").text, base64);
    EXPECT_EQ(On(f_bgettext, buffer, u"809,,8").text, std::string(8191, 'a'));
    const std::u16string h = Handle(buffer);
    const std::string tooLong = "Text too long for the result: more than 8191 characters";
    ExpectRefused(f_bgethex, {{h + u",4904", "Range too long for hex text: 4096 bytes > 4095"}},
                  buffer, letters);
    ExpectRefused(f_bgetb64,
                  {
                      {h + u",2858", "Range too long for base64 text: 6142 bytes > 6141"},
                      {h, "Range too long for base64 text: 9000 bytes > 6141"},
                      {h + u",0,6142", "Range too long for base64 text: 6142 bytes > 6141"},
                      {h + u",9000", "Start address past end of buffer: 9000 \u2265 9000"},
                      {h + u",x", "Bad start value: \"X\""},
                      {h + u",0,1k", "Bad length value: \"1K\""},
                      {u"", "Missing handle"},
                      {u"zz", "Bad handle: \"ZZ\""},
                  },
                  buffer, letters);
    ExpectRefused(f_bgettext,
                  {
                      {h + u",808,,8", tooLong},
                      {h + u",0,8192,a", tooLong},
                      {h + u",0,1,aw", "Bad encoding: \"AW\""},
                  },
                  buffer, letters);
    // A code page the system cannot convert, in either of the two steps, is no empty text.
    for (int step : {1, 2}) {
        fake::PlanFault(fake::Call::CodePage, step);
        ExpectRefused(f_bgettext, {{h + u",0,5,o", "Code page 437 not available"}}, buffer,
                      letters);
    }
}

} // namespace
