// @BMODVAL through its export: the seven operations, wrap-around, shifts, the result text in
// every format, NoWriteBack, and the checks in order, none of which touches the buffer.
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

using Modify = valuestest::ValuesFixture;

TEST_F(Modify, OperationsResultsAndStoredBytes) {
    struct Case {
        std::vector<uint8_t> before;
        const char16_t* rest;
        const char* result;
        std::vector<uint8_t> after;
    } cases[] = {
        {{0xFF}, u"0,1,ADD,1", "0", {0x00}},
        {{0xFF}, u"0,1,ADD,1,+", "0", {0x00}},
        {{0xFF}, u"0,1,ADD,1,2", "0x00", {0x00}},
        {{0x7F}, u"0,1,ADD,1,+", "-128", {0x80}},
        {{0x7F}, u"0,1,ADD,1,0", "128", {0x80}},
        {{0x00}, u"0,1,SUBTRACT,1", "255", {0xFF}},
        {{0x00}, u"0,1,SUBTRACT,1,+", "-1", {0xFF}},
        {{0x00}, u"0,1,SUBTRACT,1,2", "0xFF", {0xFF}},
        {{0x00}, u"0,1,MINUS,1,3", "FF", {0xFF}},
        {{0x00}, u"0,1,-,1,4", "0o377", {0xFF}},
        {{0x34, 0x12}, u"0,2,AND,0xFF,2", "0x0034", {0x34, 0x00}},
        {{0x34, 0x12}, u"0,2,AND,0xFF,2,1", "0x0012", {0x00, 0x12}},
        {{0x12, 0x34}, u"0,2,ADD,1,,1", "4661", {0x12, 0x35}},
        {{0x12, 0xFF}, u"0,2,ADD,1,3,1", "1300", {0x13, 0x00}}, // the carry crosses bytes
        {{0x00, 0x00}, u"0,2,-,1,+,1", "-1", {0xFF, 0xFF}},
        {{0x81}, u"0,1,SHL,8", "0", {0x00}},
        {{0x81}, u"0,1,<<,1", "2", {0x02}}, // the top bit falls out of the word
        {{0x81}, u"0,1,SHL,0", "129", {0x81}},
        {{0x80}, u"0,1,SHR,7", "1", {0x01}},
        {{0x80}, u"0,1,SHR,1,2,0x80", "0x40", {0x40}}, // logical, whatever the flags
        {{0x80}, u"0,1,>>,8", "0", {0x00}},
        {{0x80, 0x01}, u"0,2,SHR,4,3,1", "0800", {0x08, 0x00}},
        {{0x5A}, u"0,1,AND,-1", "90", {0x5A}},
        {{0x07}, u"0,1,ADD,-5", "2", {0x02}},
        {{0x07}, u"0,1,PLUS,+5", "12", {0x0C}},
        {{0x07}, u"0,1,+,250,+", "1", {0x01}},
        {{0xF0}, u"0,1,OR,0x0F", "255", {0xFF}},
        {{0xF0}, u"0,1,|,1", "241", {0xF1}},
        {{0xF0}, u"0,1,XOR,0xFF", "15", {0x0F}},
        {{0xF0}, u"0,1,^,0xF0", "0", {0x00}},
        {{0xF0}, u"0,1,&,0x30", "48", {0x30}},
        {{0xF0}, u"0,1,and,0x30", "48", {0x30}},
        {{0xF0}, u"0,1,Shr,4", "15", {0x0F}},
        {{0xF0}, u"0,1,xOr,1", "241", {0xF1}},
        {{0x11, 0x22, 0x33}, u"0,3,SHL,8,3", "221100", {0x00, 0x11, 0x22}},
        {{0x11, 0x22, 0x33}, u"0,3,SHL,8,3,1", "223300", {0x22, 0x33, 0x00}},
        {{0xFF, 0xFF, 0xFF, 0xFF}, u"0,4,ADD,1", "0", {0, 0, 0, 0}},
        {{0, 0, 0, 0, 0}, u"0,5,SUBTRACT,1,2", "0xFFFFFFFFFF", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {{1, 0, 0, 0, 0, 0, 0, 0},
         u"0,8,SUBTRACT,2,+",
         "-1",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         u"0,8,ADD,2",
         "1",
         {1, 0, 0, 0, 0, 0, 0, 0}},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         u"0,8,SHL,64",
         "0",
         {0, 0, 0, 0, 0, 0, 0, 0}},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         u"0,8,SHR,64",
         "0",
         {0, 0, 0, 0, 0, 0, 0, 0}},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         u"0,8,SHR,63",
         "1",
         {1, 0, 0, 0, 0, 0, 0, 0}},
        {{1, 0, 0, 0, 0, 0, 0, 0},
         u"0,8,SHL,63,2",
         "0x8000000000000000",
         {0, 0, 0, 0, 0, 0, 0, 0x80}},
        {{0, 0, 0, 0, 0, 0, 0, 0x80},
         u"0,8,ADD,0,+",
         "-9223372036854775808",
         {0, 0, 0, 0, 0, 0, 0, 0x80}},
        {{0x0F}, u"0,1,ADD,1,0,0,extra", "16", {0x10}}, // an eighth argument is ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.rest));
        std::vector<uint8_t> before = c.before;
        before.push_back(0xEE); // the byte after the word stays as it is
        std::vector<uint8_t> after = c.after;
        after.push_back(0xEE);
        const uint32_t buffer = NewBuffer(before.size(), before);
        const storetest::Call call = On(f_bmodval, buffer, c.rest);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.result);
        EXPECT_EQ(fake::StdErr(), "");
        EXPECT_EQ(Bytes(buffer, after.size()), after);
    }
}

TEST_F(Modify, NoWriteBackShowsTheNewValueAndStoresNothing) {
    const uint32_t buffer = NewBuffer(4, {0x34, 0x12, 0xEE, 0xEE});
    struct Case {
        const char16_t* rest;
        const char* result;
    } cases[] = {
        {u"0,2,ADD,1,,0x400", "4661"},        {u"0,2,ADD,1,2,0x401", "0x3413"},
        {u"0,2,SHL,16,,0x400", "0"},          {u"0,2,XOR,0xFFFF,+,0x400", "-4661"},
        {u"2,2,SUBTRACT,-1,3,0x481", "EEEF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.rest));
        const storetest::Call call = On(f_bmodval, buffer, c.rest);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.result);
        EXPECT_EQ(Bytes(buffer, 4), (std::vector<uint8_t>{0x34, 0x12, 0xEE, 0xEE}));
    }
    // Applied twice, without the flag the change does add up.
    EXPECT_EQ(On(f_bmodval, buffer, u"0,2,ADD,1").text, "4661");
    EXPECT_EQ(On(f_bmodval, buffer, u"0,2,ADD,1").text, "4662");
    EXPECT_EQ(Bytes(buffer, 4), (std::vector<uint8_t>{0x36, 0x12, 0xEE, 0xEE}));
}

TEST_F(Modify, TheFirstFailingCheckIsReportedAndTheBufferIsUntouched) {
    const std::vector<uint8_t> pattern = {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88};
    const uint32_t buffer = NewBuffer(pattern.size(), pattern);
    const std::u16string h = Handle(buffer);
    ExpectRefused(
        f_bmodval,
        {
            {u"", "Missing handle"},
            {u"q,0,1,ADD,1", "Bad handle: \"Q\""},
            {h + u",,1,ADD,1", "Missing offset"},
            {h + u",1x,1,ADD,1", "Bad offset: \"1X\""},
            {h + u",0,,ADD,1", "Missing word size"},
            {h + u",0,b,ADD,1", "Bad word size: \"B\""},
            {h + u",0,0,ADD,1", "Word size must be 1 to 8: 0"},
            {h + u",0,1", "Missing operation"},
            {h + u",0,1,,1", "Missing operation"},
            {h + u",0,1,NOT,1", "Unknown operation: \"NOT\""},
            {h + u",0,1,foo", "Unknown operation: \"FOO\""}, // before the missing value
            {h + u",0,1,ADD1,1", "Unknown operation: \"ADD1\""},
            {h + u",0,1,&&,1", "Unknown operation: \"&&\""},
            {h + u",0,1,<,1", "Unknown operation: \"<\""},
            {h + u",0,1,ADD,,,x", "Bad flags value: \"X\""}, // flags before the value
            {h + u",0,1,ADD", "Missing value"},
            {h + u",0,1,ADD,,2", "Missing value"},
            {h + u",0,1,ADD,one,x", "Bad value: \"ONE\""},
            {h + u",0,1,ADD,256,x", "Value not in 8-bit range: \"256\""}, // value before format
            {h + u",0,1,ADD,-129", "Value not in signed 8-bit range: \"-129\""},
            {h + u",0,1,ADD,128,,0x80", "Value not in signed 8-bit range: \"128\""},
            {h + u",0,1,SHL,256", "Value not in 8-bit range: \"256\""}, // range before shift
            {h + u",0,1,ADD,1,x", "Bad format value: \"X\""},
            {h + u",0,1,ADD,1,-1", "Bad format value: \"-1\""},
            {h + u",0,1,ADD,1,+1", "Bad format value: \"+1\""},
            {h + u",8,1,SHL,9", "Read/write past end of buffer:\r\n" // bounds before shift
                                "   Offset = 8   WordSize = 1   Buffer size = 8"},
            {h + u",1,8,ADD,1,,0x400", "Read/write past end of buffer:\r\n"
                                       "   Offset = 1   WordSize = 8   Buffer size = 8"},
            {h + u",0,1,SHL,9", "Shift size greater than word size (9 > 8)"},
            {h + u",0,1,SHR,9,,0x400", "Shift size greater than word size (9 > 8)"},
            {h + u",0,2,>>,17", "Shift size greater than word size (17 > 16)"},
            {h + u",0,8,SHL,65", "Shift size greater than word size (65 > 64)"},
            // A count beyond 32 bits, or a negative one, is shown as the unsigned 64-bit number it
            // is.
            {h + u",0,8,SHL,4294967304", "Shift size greater than word size (4294967304 > 64)"},
            {h + u",0,1,SHL,-1", "Shift size greater than word size (18446744073709551615 > 8)"},
            {h + u",0,8,SHR,-1", "Shift size greater than word size (18446744073709551615 > 64)"},
        },
        buffer, pattern);
}

TEST_F(Modify, WithoutTextGivesInvalidParameter) {
    EXPECT_EQ(f_bmodval(nullptr), 87);
    EXPECT_EQ(fake::StdErr(), "");
}

} // namespace
