// @BFILL and @BRANDFILL through their exports: the bytes they write, their results and their
// messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "content_test_fixture.h"
#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "store/last_transfer.h"

namespace {

using Bytes = std::vector<uint8_t>;

class ContentFill : public contenttest::ContentFixture {};

TEST_F(ContentFill, BfillWritesThePatternsOfItsArguments) {
    struct Case {
        uint32_t size;
        const char16_t* arguments; // after the handle
        const char* result;
        Bytes bytes; // the whole buffer afterwards, which starts as EE bytes
    } cases[] = {
        {4, u"", "4", {0, 0, 0, 0}},
        {10, u",4,0x11223344", "10", {0x44, 0x33, 0x22, 0x11, 0x44, 0x33, 0x22, 0x11, 0x44, 0x33}},
        {10,
         u",4,0x11223344,0,0,1",
         "10",
         {0x11, 0x22, 0x33, 0x44, 0x11, 0x22, 0x33, 0x44, 0x11, 0x22}},
        {8, u",2,0xABCD,1,3", "6", {0xEE, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xEE}},
        {8, u",2,0xABCD,1,3,1", "6", {0xEE, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xEE}},
        {4, u",1,255", "4", {0xFF, 0xFF, 0xFF, 0xFF}},
        {3, u",1,-1,1", "2", {0xEE, 0xFF, 0xFF}},
        {3, u",1,-128,,1", "1", {0x80, 0xEE, 0xEE}},
        {3, u",1,+127", "3", {0x7F, 0x7F, 0x7F}},
        {4, u",1,0o17,,2", "2", {0x0F, 0x0F, 0xEE, 0xEE}},
        {10, u",4,0x11223344,9", "1", {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0x44}},
        {10,
         u",4,0x11223344,9,0,1",
         "1",
         {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0x11}},
        {6, u",4,0x11223344,0,5", "6", {0x44, 0x33, 0x22, 0x11, 0x44, 0x33}},
        {6, u",3,0x112233,0,1", "3", {0x33, 0x22, 0x11, 0xEE, 0xEE, 0xEE}},
        {9, u",8,-2", "9", {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}},
        {8, u",8,0x0102030405060708,0,1,1", "8", {1, 2, 3, 4, 5, 6, 7, 8}},
        {8, u",8,18446744073709551615", "8", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {4, u",2,0x8000,,,6", "4", {0x00, 0x80, 0x00, 0x80}}, // flag bits beyond 0 do nothing
        {4, u",1,1,,,3", "4", {0x01, 0x01, 0x01, 0x01}},
        {4, u",  2 , 0X0102 ", "4", {0x02, 0x01, 0x02, 0x01}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        fake::Reset();
        const std::u16string handle = NewBuffer(c.size);
        SetContents(handle, Bytes(c.size, 0xEE));
        const storetest::Call call = Invoke(f_bfill, handle + c.arguments);
        EXPECT_EQ(fake::StdErr(), "");
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.result);
        EXPECT_EQ(Contents(handle, c.size), c.bytes);
    }
}

// Ranges much longer than one run of values, for every value size, ending on a whole value,
// in the middle of one, and at the buffer's end with the last value cut.
TEST_F(ContentFill, BfillRepeatsTheValueOverLongRanges) {
    constexpr uint32_t kSize = 10000;
    const uint8_t value[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    for (uint32_t size = 1; size <= 8; ++size) {
        for (uint32_t count : {0u, 1u, 1500u, 4096u / size + 1, 2000000u}) {
            SCOPED_TRACE(testing::Message() << "size " << size << " count " << count);
            fake::Reset();
            const std::u16string handle = NewBuffer(kSize);
            SetContents(handle, Bytes(kSize, 0xEE));
            constexpr uint32_t kOffset = 7;
            Bytes expected(kSize, 0xEE);
            uint64_t written = 0;
            for (uint64_t i = 0; kOffset + i < kSize && (count == 0 || i < uint64_t{count} * size);
                 ++i, ++written)
                expected[kOffset + i] = value[(i % size)];
            const std::u16string pattern =
                u"0x" + text::FromUtf8(std::string("0807060504030201" + 2 * (8 - size)));
            const std::u16string arguments = handle + u"," + text::FromUtf8(std::to_string(size)) +
                                             u"," + pattern + u",7," +
                                             text::FromUtf8(std::to_string(count));
            const storetest::Call call = Invoke(f_bfill, arguments);
            EXPECT_EQ(call.result, 0);
            EXPECT_EQ(call.text, std::to_string(written));
            EXPECT_EQ(Contents(handle, kSize), expected);
        }
    }
}

// Ranges of several MiB are filled around the cache in 16-byte stores: starting on and off a
// 16-byte boundary, ending on a whole value and at the buffer's end with the last value cut.
TEST_F(ContentFill, BfillRepeatsTheValueOverRangesOfSeveralMiB) {
    constexpr uint32_t kSize = (5u << 20) + 3;
    const uint8_t value[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    for (uint32_t size = 2; size <= 8; ++size) {
        for (uint32_t offset : {7u, 16u}) {
            for (uint32_t count : {0u, (9u << 19) / size + 1}) {
                SCOPED_TRACE(testing::Message()
                             << "size " << size << " offset " << offset << " count " << count);
                fake::Reset();
                const std::u16string handle = NewBuffer(kSize);
                SetContents(handle, Bytes(kSize, 0xEE));
                Bytes expected(kSize, 0xEE);
                const uint64_t end = count == 0 ? kSize : offset + uint64_t{count} * size;
                for (uint64_t i = 0; offset + i < end; ++i) expected[offset + i] = value[i % size];
                const std::u16string arguments =
                    handle + u"," + text::FromUtf8(std::to_string(size)) + u",0x" +
                    text::FromUtf8(std::string("0807060504030201" + 2 * (8 - size))) + u"," +
                    text::FromUtf8(std::to_string(offset) + "," + std::to_string(count));
                const storetest::Call call = Invoke(f_bfill, arguments);
                EXPECT_EQ(call.result, 0);
                EXPECT_EQ(call.text, std::to_string(end - offset));
                EXPECT_TRUE(Contents(handle, kSize) == expected);
            }
        }
    }
}

TEST_F(ContentFill, BfillRefusesBadArgumentsAndLeavesTheBuffer) {
    const std::u16string handle = NewBuffer(10);
    SetContents(handle, Bytes(10, 0xEE));
    const std::string h = text::ToUtf8(handle);
    struct Case {
        std::u16string argument;
        std::string message;
    } cases[] = {
        {u"", "Missing binary buffer handle"},
        {u",4", "Missing binary buffer handle"},
        {u"xyz", "Bad binary buffer handle: \"XYZ\""},
        {u"0", "Bad binary buffer handle: \"0\""},
        {u"00A41004", "Bad binary buffer handle: \"00A41004\""},
        {handle + u"x", "Bad binary buffer handle: \"" + h + "X\""},
        {handle + u",two", "Bad value size: \"TWO\""},
        {handle + u",-1", "Bad value size: \"-1\""},
        {handle + u",0", "Value size must be 1 to 8: 0"},
        {handle + u",9", "Value size must be 1 to 8: 9"},
        {handle + u",4294967295", "Value size must be 1 to 8: 4294967295"},
        {handle + u",1,abc", "Bad value: \"ABC\""},
        {handle + u",1,-0x1", "Bad value: \"-0X1\""},
        {handle + u",1,1K", "Bad value: \"1K\""},
        {handle + u",8,18446744073709551616", "Bad value: \"18446744073709551616\""},
        {handle + u",1,256", "Value not in 8-bit range: \"256\""},
        {handle + u",,256", "Value not in 8-bit range: \"256\""},
        {handle + u",1,-129", "Value not in signed 8-bit range: \"-129\""},
        {handle + u",1,+200", "Value not in signed 8-bit range: \"+200\""},
        {handle + u",2,0x10000", "Value not in 16-bit range: \"0X10000\""},
        {handle + u",7,-36028797018963969",
         "Value not in signed 56-bit range: \"-36028797018963969\""},
        {handle + u",1,0,10", "Offset past end of buffer: 10 \u2265 10"},
        {handle + u",1,0,4294967295", "Offset past end of buffer: 4294967295 \u2265 10"},
        {handle + u",1,0,ten", "Bad offset: \"TEN\""},
        {handle + u",1,0,0,1k", "Bad count: \"1K\""},
        {handle + u",1,0,0,0,be", "Bad flags value: \"BE\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        const storetest::Call call = Invoke(f_bfill, c.argument);
        EXPECT_EQ(call.result, -1);
        EXPECT_EQ(fake::StdErr(), ErrorLine(c.message));
        EXPECT_EQ(Contents(handle, 10), Bytes(10, 0xEE));
    }
    EXPECT_EQ(f_bfill(nullptr), 87);
}

TEST_F(ContentFill, BrandfillFillsExactlyItsRangeInPiecesOfAtMost8192Bytes) {
    struct Case {
        uint32_t size;
        const char16_t* arguments;
        const char* result;
        uint32_t from; // the bytes from..from+count get the generator's 1, 2, 3, ...
        uint32_t count;
        std::vector<uint32_t> pieces;
    } cases[] = {
        {16, u"", "16", 0, 16, {16}},
        {16, u",10", "6", 10, 6, {6}},
        {16, u",10,0", "0", 10, 0, {}},
        {16, u",10,100", "6", 10, 6, {6}},
        {16, u",10,4294967295", "6", 10, 6, {6}},
        {16, u",0xF", "1", 15, 1, {1}},
        {16, u",2,3", "3", 2, 3, {3}},
        {20000, u"", "20000", 0, 20000, {8192, 8192, 3616}},
        {20000, u",0,16384", "16384", 0, 16384, {8192, 8192}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        fake::Reset();
        const std::u16string handle = NewBuffer(c.size);
        const storetest::Call call = Invoke(f_brandfill, handle + c.arguments);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.result);
        EXPECT_EQ(fake::StdErr(), "");
        EXPECT_EQ(fake::RandomPieceSizes(), c.pieces);
        EXPECT_EQ(fake::OpenRandomSources(), 0);
        const std::vector<uint8_t> bytes = Contents(handle, c.size);
        for (uint32_t i = 0; i < c.size; ++i) {
            const bool inRange = i >= c.from && i < c.from + c.count;
            const uint8_t expected = inRange ? static_cast<uint8_t>((i - c.from) % 255 + 1) : 0;
            ASSERT_EQ(bytes[i], expected) << "byte " << i;
        }
    }
}

TEST_F(ContentFill, BrandfillGivesZeroWhenTheGeneratorCannotBeOpened) {
    const std::u16string handle = NewBuffer(16);
    fake::PlanFault(fake::Call::RandomOpen);
    const storetest::Call call = Invoke(f_brandfill, handle);
    EXPECT_EQ(call.result, 0);
    EXPECT_EQ(call.text, "0");
    EXPECT_EQ(fake::StdErr(), "");
    EXPECT_EQ(Contents(handle, 16), Bytes(16, 0));
}

TEST_F(ContentFill, BrandfillClaimsNothingWhenAPieceFails) {
    const std::u16string handle = NewBuffer(20000);
    fake::PlanFault(fake::Call::RandomFill, 2);
    const storetest::Call call = Invoke(f_brandfill, handle);
    EXPECT_EQ(call.result, 0);
    EXPECT_EQ(call.text, "0");
    EXPECT_EQ(fake::StdErr(), "");
    // It stops at the failing piece and gives the generator back.
    EXPECT_EQ(fake::RandomPieceSizes(), (std::vector<uint32_t>{8192, 8192}));
    EXPECT_EQ(fake::OpenRandomSources(), 0);
}

TEST_F(ContentFill, BrandfillRefusesBadArguments) {
    const std::u16string handle = NewBuffer(16);
    struct Case {
        std::u16string argument;
        std::string message;
    } cases[] = {
        {u"", "Missing binary buffer handle"},
        {u"  ,1", "Missing binary buffer handle"},
        {u"abc", "Bad binary buffer handle: \"ABC\""},
        {handle + u",ten", "Bad offset: \"TEN\""},
        {handle + u",16", "Offset past end of buffer: 16 \u2265 16"},
        {handle + u",0,many", "Bad count: \"MANY\""},
        {handle + u",0,-1", "Bad count: \"-1\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        const storetest::Call call = Invoke(f_brandfill, c.argument);
        EXPECT_EQ(call.result, -1);
        EXPECT_EQ(fake::StdErr(), ErrorLine(c.message));
    }
    EXPECT_TRUE(fake::RandomPieceSizes().empty());
    EXPECT_EQ(Contents(handle, 16), Bytes(16, 0));
    EXPECT_EQ(f_brandfill(nullptr), 87);
}

TEST_F(ContentFill, FillsLeaveTheTransferStateAlone) {
    LastError = 7;
    LastLoadSize = 9;
    const std::u16string handle = NewBuffer(16);
    Invoke(f_bfill, handle);
    Invoke(f_brandfill, handle);
    Invoke(f_bfill, handle + u",9");
    EXPECT_EQ(LastError, 7);
    EXPECT_EQ(LastLoadSize, 9u);
}

} // namespace
