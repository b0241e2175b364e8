// @BPOKEX and @BPOKEF through their exports: the bytes they store, the value's signedness,
// rounding and range, and the checks in order, none of which lets a byte be written; @BPUTHEX,
// @BPUTB64 and @BPUTTEXT the same.
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

using Poke = valuestest::ValuesFixture;

// Every buffer starts with this pattern, so that a byte written where it should not be shows.
const std::vector<uint8_t> kPattern = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};

TEST_F(Poke, StoresTheWordInEitherOrder) {
    struct Case {
        const char16_t* rest;
        std::vector<uint8_t> bytes; // the buffer afterwards
        FeatureExport feature = f_bpokex;
    } cases[] = {
        {u"0,1,255", {0xFF, 0xEE, 0xEE}},
        {u"0,1,-1", {0xFF, 0xEE}},
        {u"0,1,+5", {0x05, 0xEE}},
        {u"0,1,-128", {0x80, 0xEE}},
        {u"0,1,200", {0xC8, 0xEE}},
        {u"0,1,0o377", {0xFF, 0xEE}},
        {u"1,1,0x7F,0x80", {0xEE, 0x7F, 0xEE}},
        {u"0,1,-1,1", {0xFF, 0xEE}},
        {u"0,2,0x1234", {0x34, 0x12, 0xEE}},
        {u"0,2,0x1234,1", {0x12, 0x34, 0xEE}},
        {u"0,2,0x1234,0xFFFFFF00", {0x34, 0x12, 0xEE}}, // other bits are ignored
        {u"0,2,-2,1", {0xFF, 0xFE, 0xEE}},
        {u"0,3,0x123456,1", {0x12, 0x34, 0x56, 0xEE}},
        {u"2,3,0x123456", {0xEE, 0xEE, 0x56, 0x34, 0x12, 0xEE}},
        {u"0,4,305419896", {0x78, 0x56, 0x34, 0x12, 0xEE}},
        {u"0,4,305419896,1", {0x12, 0x34, 0x56, 0x78, 0xEE}},
        {u"0,4,-2147483648", {0x00, 0x00, 0x00, 0x80, 0xEE}},
        {u"0,5,0x0102030405", {0x05, 0x04, 0x03, 0x02, 0x01, 0xEE}},
        {u"0,5,0x0102030405,1", {0x01, 0x02, 0x03, 0x04, 0x05, 0xEE}},
        {u"1,6,-1,1", {0xEE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEE}},
        {u"0,7,0x01020304050607,1", {1, 2, 3, 4, 5, 6, 7, 0xEE}},
        {u"0,8,18446744073709551615", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEE}},
        {u"0,8,-1", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEE}},
        {u"0,8,0x0102030405060708", {8, 7, 6, 5, 4, 3, 2, 1, 0xEE}},
        {u"2,8,0x0102030405060708,1", {0xEE, 0xEE, 1, 2, 3, 4, 5, 6, 7, 8}},
        {u"0,8,-9223372036854775808", {0, 0, 0, 0, 0, 0, 0, 0x80, 0xEE}},
        {u"0,8,0xFFFFFFFFFFFFFFFF,0x80", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {u"0,2,5,0,extra", {0x05, 0x00, 0xEE}}, // a sixth argument is ignored
        // Floating-point numbers, rounded to the nearest.
        {u"0,4,3.14", {0xC3, 0xF5, 0x48, 0x40, 0xEE}, f_bpokef},
        {u"1,4,3.14,1", {0xEE, 0x40, 0x48, 0xF5, 0xC3, 0xEE}, f_bpokef},
        {u"0,4,-1.5,0x81", {0xBF, 0xC0, 0x00, 0x00, 0xEE}, f_bpokef},
        {u"0,4,0.1", {0xCD, 0xCC, 0xCC, 0x3D}, f_bpokef},
        {u"0,4,+.1e1", {0x00, 0x00, 0x80, 0x3F}, f_bpokef},
        {u"0,4,5.", {0x00, 0x00, 0xA0, 0x40}, f_bpokef},
        {u"0,4,-0", {0x00, 0x00, 0x00, 0x80}, f_bpokef},
        {u"0,4,16777217", {0x00, 0x00, 0x80, 0x4B}, f_bpokef}, // a tie goes to the even number
        {u"0,4,16777219", {0x02, 0x00, 0x80, 0x4B}, f_bpokef},
        // Rounded once, from the text: through a binary64 first, it would be 1.
        {u"0,4,1.0000000596046447753906250001", {0x01, 0x00, 0x80, 0x3F}, f_bpokef},
        {u"0,4,340282356779733661637539395458142568447", {0xFF, 0xFF, 0x7F, 0x7F}, f_bpokef},
        {u"0,4,1.4E-45", {0x01, 0x00, 0x00, 0x00}, f_bpokef},
        {u"0,4,7.1e-46", {0x01, 0x00, 0x00, 0x00}, f_bpokef},
        {u"0,4,7e-46", {0x00, 0x00, 0x00, 0x00}, f_bpokef},      // too small: a zero
        {u"0,4,-1e-999999", {0x00, 0x00, 0x00, 0x80}, f_bpokef}, // of its sign
        {u"0,4,0e999999", {0x00, 0x00, 0x00, 0x00}, f_bpokef},
        {u"0,4,inf", {0x00, 0x00, 0x80, 0x7F}, f_bpokef},
        {u"0,4,-Infinity", {0x00, 0x00, 0x80, 0xFF}, f_bpokef},
        {u"0,4,+inf", {0x00, 0x00, 0x80, 0x7F}, f_bpokef},
        {u"0,4,nan", {0x00, 0x00, 0xC0, 0x7F}, f_bpokef},
        {u"0,4,-NaN", {0x00, 0x00, 0xC0, 0xFF}, f_bpokef},
        {u"0,8,1e30,1", {0x46, 0x29, 0x3E, 0x59, 0x39, 0xA0, 0x8C, 0xEA, 0xEE}, f_bpokef},
        {u"2,8,123.456e-2", {0xEE, 0xEE, 0x38, 0x32, 0x8F, 0xFC, 0xC1, 0xC0, 0xF3, 0x3F}, f_bpokef},
        {u"0,8,2.5e-324", {0x01, 0, 0, 0, 0, 0, 0, 0, 0xEE}, f_bpokef},
        {u"0,8,2.4e-324", {0, 0, 0, 0, 0, 0, 0, 0, 0xEE}, f_bpokef},
        {u"0,8,1.7976931348623158e308",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF, 0x7F, 0xEE},
         f_bpokef},
        {u"0,8,-nan,1", {0xFF, 0xF8, 0, 0, 0, 0, 0, 0, 0xEE}, f_bpokef},
        {u"0,8,3E+38", {0x8A, 0xF2, 0x21, 0xBF, 0x3C, 0x36, 0xEC, 0x47}, f_bpokef},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.rest));
        const uint32_t buffer = NewBuffer(kPattern.size(), kPattern);
        const storetest::Call call = On(c.feature, buffer, c.rest);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, "0");
        EXPECT_EQ(fake::StdErr(), "");
        EXPECT_EQ(Bytes(buffer, c.bytes.size()), c.bytes);
    }
}

TEST_F(Poke, FailuresLeaveTheBufferAsItWas) {
    const uint32_t buffer = NewBuffer(kPattern.size(), kPattern);
    const std::u16string h = Handle(buffer);
    ExpectRefused(
        f_bpokex,
        {
            {u"", "Missing handle"},
            {u"nothing,0,1,1", "Bad handle: \"NOTHING\""},
            {h + u",,1,1", "Missing offset"},
            {h + u",x,1,1", "Bad offset: \"X\""},
            {h + u",0,,1", "Missing word size"},
            {h + u",0,two,1", "Bad word size: \"TWO\""},
            {h + u",0,9,1", "Word size must be 1 to 8: 9"},
            {h + u",0,1,bad,bad", "Bad flags value: \"BAD\""}, // flags come before the value
            {h + u",0,1", "Missing value"},
            {h + u",0,1,", "Missing value"},
            {h + u",0,1,,1", "Missing value"},
            {h + u",0,1,abc", "Bad value: \"ABC\""},
            {h + u",0,1,-0x5", "Bad value: \"-0X5\""},
            {h + u",0,1,+", "Bad value: \"+\""},
            {h + u",0,1,1k", "Bad value: \"1K\""},
            {h + u",0,8,18446744073709551616", "Bad value: \"18446744073709551616\""},
            {h + u",0,8,-9223372036854775809", "Bad value: \"-9223372036854775809\""},
            {h + u",0,8,9223372036854775808,0x80", "Bad value: \"9223372036854775808\""},
            {h + u",0,1,256", "Value not in 8-bit range: \"256\""},
            {h + u",0,1,-129", "Value not in signed 8-bit range: \"-129\""},
            {h + u",0,1,+128", "Value not in signed 8-bit range: \"+128\""},
            {h + u",0,1,200,0x80", "Value not in signed 8-bit range: \"200\""},
            {h + u",0,1,0xFF,0x80", "Value not in signed 8-bit range: \"0XFF\""},
            {h + u",0,2,65536", "Value not in 16-bit range: \"65536\""},
            {h + u",0,3,-8388609", "Value not in signed 24-bit range: \"-8388609\""},
            {h + u",0,4,4294967296", "Value not in 32-bit range: \"4294967296\""},
            {h + u",0,7,0x100000000000000", "Value not in 56-bit range: \"0X100000000000000\""},
            // A value out of range at an offset also past the end: only the range is reported.
            {h + u",99,1,256", "Value not in 8-bit range: \"256\""},
            {h + u",7,4,0", "Write past end of buffer:\r\n"
                            "   Offset = 7   WordSize = 4   Buffer size = 10"},
            {h + u",10,1,0", "Write past end of buffer:\r\n"
                             "   Offset = 10   WordSize = 1   Buffer size = 10"},
            {h + u",4294967295,2,0", "Write past end of buffer:\r\n"
                                     "   Offset = 4294967295   WordSize = 2   Buffer size = 10"},
        },
        buffer, kPattern);
    ExpectRefused(
        f_bpokef,
        {
            {u"", "Missing handle"},
            {u"nothing,0,4,1", "Bad handle: \"NOTHING\""},
            {h + u",,4,1", "Missing offset"},
            {h + u",0,,1", "Missing word size"},
            {h + u",0,1,1", "Word size must be 4 or 8: 1"},
            {h + u",0,4,1,x", "Bad flags value: \"X\""}, // flags come before the value
            {h + u",0,8", "Missing value"},
            {h + u",0,8,", "Missing value"},
            {h + u",0,4,0x10", "Bad value: \"0X10\""},
            {h + u",0,4,1 5", "Bad value: \"1 5\""},
            {h + u",0,4,1e", "Bad value: \"1E\""},
            {h + u",0,4,e5", "Bad value: \"E5\""},
            {h + u",0,4,.", "Bad value: \".\""},
            {h + u",0,4,+-1", "Bad value: \"+-1\""},
            {h + u",0,4,--1", "Bad value: \"--1\""},
            {h + u",0,4,++1", "Bad value: \"++1\""},
            {h + u",0,4,infinit", "Bad value: \"INFINIT\""},
            {h + u",0,4,nan(1)", "Bad value: \"NAN(1)\""},
            {h + u",0,4,1\u00BD", "Bad value: \"1\u00BD\""},
            {h + u",0,4,1e39", "Value not in 32-bit floating-point range: \"1E39\""},
            {h + u",0,4,-3.5e38", "Value not in 32-bit floating-point range: \"-3.5E38\""},
            {h + u",0,4,340282356779733661637539395458142568448",
             "Value not in 32-bit floating-point range: "
             "\"340282356779733661637539395458142568448\""},
            {h + u",0,8,1.7976931348623159e308",
             "Value not in 64-bit floating-point range: \"1.7976931348623159E308\""},
            {h + u",0,8,1e999999999999999999999",
             "Value not in 64-bit floating-point range: \"1E999999999999999999999\""},
            // A value out of range at an offset also past the end: only the range is reported.
            {h + u",99,4,1e39", "Value not in 32-bit floating-point range: \"1E39\""},
            {h + u",3,8,0", "Write past end of buffer:\r\n"
                            "   Offset = 3   WordSize = 8   Buffer size = 10"},
            {h + u",7,4,1", "Write past end of buffer:\r\n"
                            "   Offset = 7   WordSize = 4   Buffer size = 10"},
        },
        buffer, kPattern);
}

TEST_F(Poke, AFourByteBufferTakesExactlyOneWord) {
    const uint32_t buffer = NewBuffer(4, {0xEE, 0xEE, 0xEE, 0xEE});
    EXPECT_EQ(On(f_bpokex, buffer, u"1,4,0").result, -1);
    EXPECT_EQ(Bytes(buffer, 4), (std::vector<uint8_t>{0xEE, 0xEE, 0xEE, 0xEE}));
    const storetest::Call call = On(f_bpokex, buffer, u"0,4,0x11223344");
    EXPECT_EQ(call.result, 0);
    EXPECT_EQ(call.text, "0");
    EXPECT_EQ(Bytes(buffer, 4), (std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11}));
}

TEST_F(Poke, WithoutTextGivesInvalidParameter) {
    EXPECT_EQ(f_bpokex(nullptr), 87);
    EXPECT_EQ(f_bpokef(nullptr), 87);
    EXPECT_EQ(fake::StdErr(), "");
}

TEST_F(Poke, WritesHexDigitsAndTextInEveryEncodingWithoutATerminator) {
    struct Case {
        FeatureExport feature;
        const char16_t* arguments; // after the handle and a comma
        const char* result;
        std::vector<uint8_t> bytes; // the buffer's first bytes afterwards
    } cases[] = {
        {f_bputhex, u"1,4d 5a\t90", "3", {0xEE, 0x4D, 0x5A, 0x90, 0xEE}},
        {f_bputhex, u"6,0xAABB", "2", {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xAA, 0xBB}},
        // Everything after the offset is the hex text: commas stand between bytes as blanks do.
        {f_bputhex, u"0,4D,5A, 90", "3", {0x4D, 0x5A, 0x90, 0xEE}},
        {f_bputhex, u"0,0x4D,,5A,", "2", {0x4D, 0x5A, 0xEE}},
        {f_bputhex, u"0,\"4D,5A\"", "2", {0x4D, 0x5A, 0xEE}},
        {f_bputb64, u"0,cYLz", "3", {0x71, 0x82, 0xF3, 0xEE}},
        {f_bputb64, u"1,cQ==", "1", {0xEE, 0x71, 0xEE}},
        {f_bputb64, u"1,cQ", "1", {0xEE, 0x71, 0xEE}}, // padding is optional
        {f_bputb64, u"0,cYI=", "2", {0x71, 0x82, 0xEE}},
        {f_bputb64, u"0,cYI", "2", {0x71, 0x82, 0xEE}},
        {f_bputb64, u"0,cq==", "1", {0x72, 0xEE}}, // case counts; unused low bits are ignored
        {f_bputb64, u"0,+/+/", "3", {0xFB, 0xFF, 0xBF, 0xEE}},
        {f_bputb64, u"0,-_-_", "3", {0xFB, 0xFF, 0xBF, 0xEE}}, // the URL-safe alphabet
        {f_bputb64, u"0,+_-/", "3", {0xFB, 0xFF, 0xBF, 0xEE}}, // or both
        {f_bputb64, u"0, c Y\tL z\r\n cQ = = ", "4", {0x71, 0x82, 0xF3, 0x71, 0xEE}},
        {f_bputb64, u"0,\"cYLz cQ\"", "4", {0x71, 0x82, 0xF3, 0x71, 0xEE}},
        {f_bputb64, u"5,AAEC", "3", {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0x00, 0x01, 0x02}}, // to the end
        {f_bputtext, u"0,\"a, B \"", "5", {'a', ',', ' ', 'B', ' ', 0xEE}}, // quotes keep blanks
        {f_bputtext, u"0, a b ", "3", {'a', ' ', 'b', 0xEE}},
        {f_bputtext, u"1,\u00E9\u20AC\u0081", "3", {0xEE, 0xE9, 0x80, 0x81, 0xEE}}, // 1252
        {f_bputtext, u"0,\u00E9\u0398,o", "2", {0x82, 0xE9, 0xEE}},                 // 437
        {f_bputtext, u"0,\u00E9\U0001F600,8", "6", {0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80, 0xEE}},
        {f_bputtext, u"0,\U0001F600\xD800,w", "6", {0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xD8, 0xEE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        const uint32_t buffer = NewBuffer(8, std::vector<uint8_t>(8, 0xEE));
        const storetest::Call call = On(c.feature, buffer, c.arguments);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.result);
        EXPECT_EQ(Bytes(buffer, c.bytes.size()), c.bytes);
    }
    const std::vector<uint8_t> before(6, 0xEE);
    const uint32_t buffer = NewBuffer(6, before);
    const std::u16string h = Handle(buffer);
    ExpectRefused(f_bputhex,
                  {
                      {h + u",0,4D5", "Bad hex digits: \"4D5\""},
                      {h + u",0,4 D", "Bad hex digits: \"4 D\""},
                      {h + u",0,4D,5", "Bad hex digits: \"4D,5\""},
                      {h + u",0,4,D", "Bad hex digits: \"4,D\""},
                      {h + u",0,,", "Missing hex digits"},
                      {h + u",5,AABB", "Write past end of buffer:\r\n"
                                       "   Offset = 5   Size = 2   Buffer size = 6"},
                  },
                  buffer, before);
    ExpectRefused(
        f_bputb64,
        {
            {u"zz,0,cQ", "Bad handle: \"ZZ\""},
            {h + u",,cQ", "Missing offset"},
            {h + u",x,cQ", "Bad offset: \"X\""},
            {h + u",6,cQ", "Offset past end of buffer: 6 \u2265 6"},
            {h + u",0", "Missing base64 text"},
            {h + u",0, \"\" ", "Missing base64 text"},
            // A comma is no base64 character, wherever it stands; the text keeps its case.
            {h + u",0,cYLz,", "Bad base64 text: \"cYLz,\""},
            {h + u",0,cYLz, ", "Bad base64 text: \"cYLz,\""},
            {h + u",0,cY,Lz", "Bad base64 text: \"cY,Lz\""},
            {h + u",0,\"cY,Lz\"", "Bad base64 text: \"cY,Lz\""},
            {h + u",0,,", "Bad base64 text: \",\""},
            {h + u",0,cY.z", "Bad base64 text: \"cY.z\""},
            {h + u",0,cYLz\u00E9", "Bad base64 text: \"cYLz\u00E9\""},
            // A length that no bytes have, and padding that does not end a whole group.
            {h + u",0,c", "Bad base64 text: \"c\""},
            {h + u",0,cYLzc", "Bad base64 text: \"cYLzc\""},
            {h + u",0,cYLzc===", "Bad base64 text: \"cYLzc===\""},
            {h + u",0,cQ=", "Bad base64 text: \"cQ=\""},
            {h + u",0,cQ===", "Bad base64 text: \"cQ===\""},
            {h + u",0,cYI==", "Bad base64 text: \"cYI==\""},
            {h + u",0,cYLz=", "Bad base64 text: \"cYLz=\""},
            {h + u",0,cQ==cQ==", "Bad base64 text: \"cQ==cQ==\""},
            {h + u",0,c=Q=", "Bad base64 text: \"c=Q=\""},
            {h + u",0,====", "Bad base64 text: \"====\""},
            {h + u",4,cYLz", "Write past end of buffer:\r\n"
                             "   Offset = 4   Size = 3   Buffer size = 6"},
        },
        buffer, before);
    ExpectRefused(f_bputtext,
                  {
                      {h + u",0,a\u0100", "Character not in code page 1252: U+0100"},
                      {h + u",0,\U0001F600", "Character not in code page 1252: U+1F600"},
                      {h + u",0,a\xDC00,8", "Character not in code page 65001: U+DC00"},
                      {h + u",3,abcd,w", "Write past end of buffer:\r\n"
                                         "   Offset = 3   Size = 8   Buffer size = 6"},
                      {h + u",0,a,utf8", "Bad encoding: \"UTF8\""},
                  },
                  buffer, before);
    // The most base64 text that a call always takes, whatever the width of the handle, with an
    // offset of 10 digits: 6,120 bytes, read back as @BGETB64 gives them.
    const uint32_t large = NewBuffer(6200, std::vector<uint8_t>(6200, 0xEE));
    std::u16string text;
    for (int i = 0; i < 6120 / 3; ++i) text += u"YWJj";
    const storetest::Call call = On(f_bputb64, large, u"0000000040," + text);
    EXPECT_EQ(call.text, "6120");
    EXPECT_EQ(On(f_bgetb64, large, u"40,6120").text, text::ToUtf8(text));
    EXPECT_EQ(Bytes(large + 39, 1), std::vector<uint8_t>{0xEE});
    EXPECT_EQ(Bytes(large + 6160, 1), std::vector<uint8_t>{0xEE});
    // The system's code page: another one holds what 1252 cannot.
    fake::SetAnsiCodePage(1251);
    EXPECT_EQ(On(f_bputtext, buffer, u"0,\u0416").text, "1");
    EXPECT_EQ(Bytes(buffer, 1), std::vector<uint8_t>{0xC6});
}

} // namespace
