// @BMEMCMP and @BMEMCPY through their exports: byte order, defaults, overlapping copies against
// memmove, and the range and argument messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "content_test_fixture.h"
#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "store/last_transfer.h"

namespace {

using Bytes = std::vector<uint8_t>;

class ContentCompareCopy : public contenttest::ContentFixture {
protected:
    void SetUp() override {
        ContentFixture::SetUp();
        a = NewBuffer(16);
        b = NewBuffer(16);
        s = NewBuffer(6);
        SetContents(s, {0, 1, 2, 3, 4, 5});
    }

    std::u16string a, b, s;
};

TEST_F(ContentCompareCopy, ComparesAsUnsignedBytesFromTheFirstOn) {
    struct Case {
        Bytes first;               // bytes of a from offset 0
        Bytes second;              // bytes of b from offset 0
        const char16_t* arguments; // after "a,"
        const char* result;
    } cases[] = {
        {{}, {}, u"0,B,0", "0"},
        {{0x7F}, {0x80}, u"0,B,0", "-1"},
        {{0x80}, {0x7F}, u"0,B,0", "1"},
        {{0xFF}, {0x00}, u"0,B,0", "1"},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 10}, u"0,B,0", "-1"},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 10}, u"0,B,0,8", "0"},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 10}, u"0,B,0,9", "-1"},
        // Within a group of four the first differing byte decides, not the group's value.
        {{1, 0x80, 0, 0}, {2, 0, 0, 0}, u"0,B,0,4", "-1"},
        {{0, 0, 0, 2}, {0, 0, 0, 1}, u"0,B,0,4", "1"},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}, {}, u"0,B,0", "1"},
        {{5, 6, 7}, {0, 0, 5, 6, 7}, u"0,B,2,3", "0"},
        {{}, {}, u"16,B,16,0", "0"},
        {{}, {}, u"0", "0"}, // the buffer with itself
        {{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {}, u"1", "-1"}, // bytes 1.. with 0..
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3}, {}, u"15,,0", "1"},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3}, {}, u"16", "0"}, // nothing left
        {{}, {0, 0, 4}, u"0,B", "-1"}, // offset 2 defaults to 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        SetContents(a, Bytes(16, 0));
        SetContents(b, Bytes(16, 0));
        SetContents(a, c.first);
        SetContents(b, c.second);
        std::u16string arguments = a + u"," + c.arguments;
        const size_t marker = arguments.find(u'B', a.size());
        if (marker != std::u16string::npos) arguments.replace(marker, 1, b);
        const storetest::Call call = Invoke(f_bmemcmp, arguments);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.result);
        EXPECT_EQ(fake::StdErr(), "");
    }
}

TEST_F(ContentCompareCopy, RefusesRangesBeyondTheBuffers) {
    const std::string range1 = "Read past end of buffer 1:\r\n";
    const std::string range2 = "Read past end of buffer 2:\r\n";
    struct Case {
        std::u16string argument;
        std::string message;
    } cases[] = {
        {a + u",10,,0,8", range1 + "   Offset1 = 10   Size = 8   Buffer 1 size = 16\r\n"},
        {a + u",0," + s + u",0,8", range2 + "   Offset2 = 0   Size = 8   Buffer 2 size = 6\r\n"},
        {a + u",0," + s + u",6,1", range2 + "   Offset2 = 6   Size = 1   Buffer 2 size = 6\r\n"},
        {a + u",0," + s, range2 + "   Offset2 = 0   Size = 16   Buffer 2 size = 6\r\n"},
        {a + u",17", range1 + "   Offset1 = 17   Size = 0   Buffer 1 size = 16\r\n"},
        {a + u",4294967295,,0,2",
         range1 + "   Offset1 = 4294967295   Size = 2   Buffer 1 size = 16\r\n"},
        {a + u",0,,4294967295,1",
         range2 + "   Offset2 = 4294967295   Size = 1   Buffer 2 size = 16\r\n"},
        {a + u",1,,0,4294967295",
         range1 + "   Offset1 = 1   Size = 4294967295   Buffer 1 size = 16\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        const storetest::Call call = Invoke(f_bmemcmp, c.argument);
        EXPECT_EQ(call.result, -1);
        EXPECT_EQ(fake::StdErr(), ErrorLine(c.message.substr(0, c.message.find("\r\n"))) +
                                      c.message.substr(c.message.find("\r\n") + 2));
    }
    EXPECT_EQ(f_bmemcmp(nullptr), 87);
}

TEST_F(ContentCompareCopy, BmemcmpReportsBadArguments) {
    struct Case {
        std::u16string argument;
        std::string message;
    } cases[] = {
        {u"", "Missing bbuf1"},
        {u",0", "Missing bbuf1"},
        {a, "Missing offset1"},
        {a + u",", "Missing offset1"},
        {u"x1,0", "Bad bbuf1: \"X1\""},
        {a + u",one", "Bad offset1: \"ONE\""},
        {a + u",1K", "Bad offset1: \"1K\""},
        {a + u",0,x2", "Bad bbuf2: \"X2\""},
        {a + u",0," + b + u",two", "Bad offset2: \"TWO\""},
        {a + u",0," + b + u",0,all", "Bad size: \"ALL\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        EXPECT_EQ(Invoke(f_bmemcmp, c.argument).result, -1);
        EXPECT_EQ(fake::StdErr(), ErrorLine(c.message));
    }
}

TEST_F(ContentCompareCopy, CopiesOverlappingRangesAsTheyWereBefore) {
    struct Case {
        const char16_t* arguments; // after "s,"
        const char* result;
        Bytes after;
    } cases[] = {
        {u"0,,2,4", "4", {0, 1, 0, 1, 2, 3}},  {u"2,,0,4", "4", {2, 3, 4, 5, 4, 5}},
        {u"0,,1,5", "5", {0, 0, 1, 2, 3, 4}},  {u"1,,0,5", "5", {1, 2, 3, 4, 5, 5}},
        {u"0,,3,3", "3", {0, 1, 2, 0, 1, 2}},  {u"3,,0,3", "3", {3, 4, 5, 3, 4, 5}},
        {u"3,,3,3", "0", {0, 1, 2, 3, 4, 5}},  {u"0,,0,6", "0", {0, 1, 2, 3, 4, 5}},
        {u"6,,6,0", "0", {0, 1, 2, 3, 4, 5}},  {u"2,,4,0", "0", {0, 1, 2, 3, 4, 5}},
        {u"5,S,0,1", "1", {5, 1, 2, 3, 4, 5}}, // the same buffer named twice
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        SetContents(s, {0, 1, 2, 3, 4, 5});
        std::u16string arguments = s + u"," + c.arguments;
        const size_t marker = arguments.find(u'S', s.size());
        if (marker != std::u16string::npos) arguments.replace(marker, 1, s);
        const storetest::Call call = Invoke(f_bmemcpy, arguments);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.result);
        EXPECT_EQ(Contents(s, 6), c.after);
    }
}

TEST_F(ContentCompareCopy, CopiesBetweenBuffersUpToTheirEnds) {
    EXPECT_EQ(Invoke(f_bmemcpy, s + u",0," + a + u",10,6").text, "6");
    EXPECT_EQ(Contents(a, 16), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Invoke(f_bmemcpy, a + u",0xB," + s + u",0o1,5").text, "5");
    EXPECT_EQ(Contents(s, 6), (Bytes{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Invoke(f_bmemcpy, s + u",6," + a + u",16,0").text, "0");
    EXPECT_EQ(fake::StdErr(), "");
}

TEST_F(ContentCompareCopy, BmemcpyRefusesRangesAndArgumentsAndLeavesTheBuffers) {
    const std::string source = "Read past end of source buffer:\r\n";
    const std::string destination = "Write past end of destination buffer:\r\n";
    struct Case {
        std::u16string argument;
        std::string message;
    } cases[] = {
        {s + u",3," + a + u",0,4",
         source + "   Source offset = 3   Size = 4   Source buffer size = 6\r\n"},
        {s + u",0," + a + u",13,4",
         destination + "   Destination offset = 13   Size = 4   Destination buffer size = 16\r\n"},
        {s + u",0,,1,6",
         destination + "   Destination offset = 1   Size = 6   Destination buffer size = 6\r\n"},
        {s + u",7,,0,0", source + "   Source offset = 7   Size = 0   Source buffer size = 6\r\n"},
        {u"", "Missing source bbuf\r\n"},
        {s, "Missing source offset\r\n"},
        {s + u",0", "Missing destination offset\r\n"},
        {s + u",0," + a, "Missing destination offset\r\n"},
        {s + u",0," + a + u",0", "Missing size\r\n"},
        {s + u",0," + a + u",0,", "Missing size\r\n"},
        {u"x1,0,,0,1", "Bad source bbuf: \"X1\"\r\n"},
        {s + u",one,,0,1", "Bad source offset: \"ONE\"\r\n"},
        {s + u",0,x2,0,1", "Bad destination bbuf: \"X2\"\r\n"},
        {s + u",0,,two,1", "Bad destination offset: \"TWO\"\r\n"},
        {s + u",0,,0,few", "Bad size: \"FEW\"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        EXPECT_EQ(Invoke(f_bmemcpy, c.argument).result, -1);
        EXPECT_EQ(fake::StdErr(), "Korvanite plugin: " + c.message);
        EXPECT_EQ(Contents(s, 6), (Bytes{0, 1, 2, 3, 4, 5}));
        EXPECT_EQ(Contents(a, 16), Bytes(16, 0));
    }
    EXPECT_EQ(f_bmemcpy(nullptr), 87);
}

TEST_F(ContentCompareCopy, CopyWithinOneBufferEqualsMemmove) {
    constexpr uint32_t kSize = 300;
    const std::u16string buffer = NewBuffer(kSize);
    std::mt19937 random(20261208);
    std::uniform_int_distribution<uint32_t> position(0, kSize);
    for (int round = 0; round < 3000; ++round) {
        Bytes before(kSize);
        for (uint8_t& byte : before) byte = static_cast<uint8_t>(random());
        SetContents(buffer, before);
        const uint32_t from = position(random);
        const uint32_t to = position(random);
        const uint32_t size = position(random) % (kSize - std::max(from, to) + 1);
        Bytes expected = before;
        std::memmove(expected.data() + to, before.data() + from, size);

        const std::u16string arguments = buffer + u"," + text::FromUtf8(std::to_string(from)) +
                                         u",," + text::FromUtf8(std::to_string(to)) + u"," +
                                         text::FromUtf8(std::to_string(size));
        const storetest::Call call = Invoke(f_bmemcpy, arguments);
        ASSERT_EQ(call.result, 0) << text::ToUtf8(arguments);
        ASSERT_EQ(call.text, std::to_string(from == to ? 0 : size)) << text::ToUtf8(arguments);
        ASSERT_EQ(Contents(buffer, kSize), expected) << text::ToUtf8(arguments);
    }
}

TEST_F(ContentCompareCopy, NeitherTouchesTheTransferState) {
    LastError = 3;
    LastLoadSize = 4;
    Invoke(f_bmemcmp, a + u",0");
    Invoke(f_bmemcpy, s + u",0,,1,2");
    Invoke(f_bmemcpy, s + u",0,,1");
    EXPECT_EQ(LastError, 3);
    EXPECT_EQ(LastLoadSize, 4u);
}

} // namespace
