// @BMEMCMP, @BMEMCPY, @BFIND and @BHASH through their exports: byte order, defaults,
// overlapping copies against memmove, searches against a plain search at every place and in
// every direction, digests against known values, and the range and argument messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "content_test_fixture.h"
#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/text/format.h"
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

// ---- @BFIND ---------------------------------------------------------------------------------

TEST_F(ContentCompareCopy, FindsTextAndBytesForwardsAndBackwards) {
    const std::string hello("Hello, World! hello\0tail \xC3\xA9", 27);
    const std::u16string h = NewBuffer(static_cast<uint32_t>(hello.size()));
    SetContents(h, Bytes(hello.begin(), hello.end()));
    const std::string wide("A\0b\0C\0", 6); // "AbC" in UTF-16LE
    const std::u16string w = NewBuffer(6);
    SetContents(w, Bytes(wide.begin(), wide.end()));
    struct Case {
        const std::u16string* buffer;
        const char16_t* arguments; // after the handle and a comma
        const char* result;
    } cases[] = {
        {&h, u"\"hello\"", "14"},
        {&h, u"\"Hello\"", "0"},
        {&h, u"\"hello\",0,i", "0"},
        {&h, u"\"HELLO\",1,I", "14"},
        {&h, u"\"hello\",15", "-1"},
        {&h, u"\"hello\",,r", "14"},
        {&h, u"\"hello\",13,R", "-1"}, // the last at or before 13
        {&h, u"\"hello\",13,ri", "0"},
        {&h, u"\"hello\",14,r", "14"},
        {&h, u"0x6c6c", "2"},
        {&h, u"0x6C 6C,3", "16"},
        {&h, u"0X6c6c,,R", "16"},
        {&h, u"0x6c6c,15,Ir", "2"},
        {&h, u"0x4C4C,0,i", "2"}, // a hexadecimal pattern's letters fold too
        {&h, u"0x00", "19"},
        {&h, u"\"o, W\"", "4"},
        {&h, u"\"d! \"", "11"}, // blanks inside the quotes count
        {&h, u"\"tail \"", "20"},
        {&h, u"\"\u00E9\"", "25"}, // UTF-8
        {&h, u"\"\u00E9\",,w", "-1"},
        {&h, u"\"l\",26", "-1"},
        {&h, u"\"l\",26,r", "23"},
        {&h, u"\"0x41\"", "-1"}, // quoted, a text
        {&h, u"\"Hello, World! hello tail \u00E9 and more\"", "-1"},
        {&w, u"\"bC\",,w", "2"},
        {&w, u"\"bc\",,w", "-1"},
        {&w, u"\"BC\",0,wi", "2"},
        {&w, u"\"C\",,wr", "4"},
        {&w, u"\"C\",3,wr", "-1"},
        {&w, u"\"AbC\"", "-1"},
        {&w, u"0x4100,0,w", "0"}, // W leaves a hexadecimal pattern as it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        const storetest::Call call = Invoke(f_bfind, *c.buffer + u"," + c.arguments);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.result);
        EXPECT_EQ(fake::StdErr(), "");
    }
}

// Where a pattern begins in `bytes` as @BFIND's rules say, one place at a time: the nearest place
// to `start` in the search's direction, or -1. A wide pattern is UTF-16LE text whose units are
// compared whole, letters in either case with `anyCase`.
int64_t PlainFind(const Bytes& bytes, const Bytes& pattern, bool wide, bool anyCase, size_t start,
                  bool backwards) {
    const auto lower = [](uint32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    const auto matchesAt = [&](size_t place) {
        const size_t width = wide ? 2 : 1;
        for (size_t i = 0; i < pattern.size(); i += width) {
            uint32_t t = bytes[place + i], p = pattern[i];
            if (wide) {
                t |= uint32_t{bytes[place + i + 1]} << 8;
                p |= uint32_t{pattern[i + 1]} << 8;
            }
            if (anyCase ? lower(t) != lower(p) : t != p) return false;
        }
        return true;
    };
    if (pattern.size() > bytes.size()) return -1;
    const size_t lastStart = bytes.size() - pattern.size();
    if (!backwards) {
        for (size_t place = start; place <= lastStart; ++place)
            if (matchesAt(place)) return static_cast<int64_t>(place);
        return -1;
    }
    for (int64_t place = static_cast<int64_t>(std::min(start, lastStart)); place >= 0; --place)
        if (matchesAt(static_cast<size_t>(place))) return place;
    return -1;
}

TEST_F(ContentCompareCopy, FindsWhatAPlainSearchFindsAtEveryPlace) {
    // Buffers of every size around the vector blocks, of few different bytes so that matches and
    // near matches are many, searched for runs of their own bytes from every start.
    std::mt19937 random(20261209);
    for (uint32_t size = 1; size <= 70; ++size) {
        const std::u16string buffer = NewBuffer(size);
        Bytes bytes(size);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>("aAbB"[random() % 4]);
        SetContents(buffer, bytes);
        for (int round = 0; round < 4; ++round) {
            const uint32_t length = 1 + random() % std::min<uint32_t>(size, 5);
            const uint32_t at = random() % (size - length + 1);
            const Bytes pattern(bytes.begin() + at, bytes.begin() + at + length);
            std::u16string digits;
            for (uint8_t byte : pattern) {
                digits += u"0123456789ABCDEF"[byte >> 4];
                digits += u"0123456789ABCDEF"[byte & 15];
            }
            const bool anyCase = round % 2 == 1;
            for (uint32_t start = 0; start < size; ++start) {
                const std::u16string common =
                    buffer + u",0x" + digits + u"," + text::FromUtf8(std::to_string(start)) + u",";
                for (const bool backwards : {false, true})
                    ASSERT_EQ(
                        Invoke(f_bfind, common + (anyCase ? u"i" : u"") + (backwards ? u"r" : u""))
                            .text,
                        std::to_string(PlainFind(bytes, pattern, false, anyCase, start, backwards)))
                        << size << " " << start;
            }
        }
    }
}

TEST_F(ContentCompareCopy, FindsInDataOfThePatternsOwnBytesAsAPlainSearchDoes) {
    // Matches of "aaaabaaaaa" (or its UTF-16LE units) in a buffer of "a": the quick search passes
    // nearly every place it tries and gives way after some hundred, so that as the nearer match
    // moves along, it is found by each search, and by the linear one at the very place it takes
    // over. The farther match has the other parity, which a search of units must weigh too. Asked
    // for in upper case with I, the same must be found.
    for (const int kind : {0, 1, 2, 3}) {
        const bool wide = kind >= 2, anyCase = kind % 2 == 1;
        const uint32_t size = 4000;
        const std::u16string buffer = NewBuffer(size);
        const std::u16string text = u"aaaabaaaaa";
        Bytes pattern;
        for (char16_t c : text) {
            pattern.push_back(static_cast<uint8_t>(c));
            if (wide) pattern.push_back(0);
        }
        for (uint32_t place = 101; place < 800; ++place) {
            for (const bool backwards : {false, true}) {
                Bytes bytes(size, 'a');
                if (wide)
                    for (uint32_t i = 1; i < size; i += 2) bytes[i] = 0;
                const uint32_t at = backwards ? size - pattern.size() - place : place;
                const uint32_t farther = backwards ? at - 101 : at + 101;
                std::copy(pattern.begin(), pattern.end(), bytes.begin() + farther);
                std::copy(pattern.begin(), pattern.end(), bytes.begin() + at);
                SetContents(buffer, bytes);
                const std::u16string call = buffer + u",\"" + (anyCase ? u"AAAABAAAAA" : text) +
                                            u"\",," + (wide ? u"w" : u"") + (anyCase ? u"i" : u"") +
                                            (backwards ? u"r" : u"");
                ASSERT_EQ(Invoke(f_bfind, call).text,
                          std::to_string(PlainFind(bytes, pattern, wide, false,
                                                   backwards ? size : 0, backwards)))
                    << kind << " " << backwards << " " << place;
            }
        }
    }
    // The worst case of the quick search alone: a megabyte of one letter, and that letter a
    // thousand times before another, found once at the very end, once nowhere.
    const uint32_t size = 1 << 20;
    const std::u16string buffer = NewBuffer(size);
    Bytes bytes(size, 'a');
    bytes[size - 1] = 'b';
    SetContents(buffer, bytes);
    const std::u16string needle = std::u16string(1000, u'a') + u"b";
    EXPECT_EQ(Invoke(f_bfind, buffer + u",\"" + needle + u"\"").text, std::to_string(size - 1001));
    EXPECT_EQ(Invoke(f_bfind, buffer + u",\"" + needle + u"\",0,r").text, "-1");
    EXPECT_EQ(Invoke(f_bfind, buffer + u",\"" + needle + u"a\"").text, "-1");
    EXPECT_EQ(Invoke(f_bfind, buffer + u",\"b" + needle + u"\",,r").text, "-1");
}

TEST_F(ContentCompareCopy, RefusesBadSearches) {
    const std::u16string h = NewBuffer(24);
    struct Case {
        std::u16string argument;
        std::string message;
    } cases[] = {
        {u"", "Missing handle"},
        {u"x,\"a\"", "Bad handle: \"X\""},
        {h, "Missing pattern"},
        {h + u",,0", "Missing pattern"},
        {h + u",\"\"", "Missing pattern"},
        {h + u",hello", "Bad pattern: \"HELLO\""},
        {h + u",0x", "Bad pattern: \"0X\""},
        {h + u",0x123", "Bad pattern: \"0X123\""},
        {h + u",0x4 1", "Bad pattern: \"0X4 1\""},
        {h + u",0xZZ", "Bad pattern: \"0XZZ\""},
        // No UTF-8 for a lone surrogate.
        {h + u",\"\xD800\"", "Bad pattern: \"" + text::ToUtf8(u"\xD800") + "\""},
        {h + u",\"a\",x", "Bad start value: \"X\""},
        {h + u",\"a\",24", "Start address past end of buffer: 24 \u2265 24"},
        {h + u",\"a\",24,r", "Start address past end of buffer: 24 \u2265 24"},
        {h + u",\"a\",0,q", "Bad options value: \"Q\""},
        {h + u",\"a\",,rx", "Bad options value: \"RX\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        EXPECT_EQ(Invoke(f_bfind, c.argument).result, -1);
        EXPECT_EQ(fake::StdErr(), ErrorLine(c.message));
    }
    EXPECT_EQ(f_bfind(nullptr), 87);
}

// ---- @BHASH ---------------------------------------------------------------------------------

// The CRC-32 a bit at a time, as its definition reads.
uint32_t BitwiseCrc32(const uint8_t* bytes, size_t size) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    return ~crc;
}

TEST_F(ContentCompareCopy, GivesTheDigestsOfKnownTexts) {
    const std::string text = "abc123456789";
    const std::u16string h = NewBuffer(static_cast<uint32_t>(text.size()));
    SetContents(h, Bytes(text.begin(), text.end()));
    struct Case {
        const char16_t* arguments; // after the handle and a comma
        const char* digest;
    } cases[] = {
        {u"crc32,3", "cbf43926"}, // "123456789"
        {u"CRC32,0,3", "352441c2"},
        {u"md5,0,3", "900150983cd24fb0d6963f7d28e17f72"},
        {u"sha1,0,3", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {u"Sha256,0,3", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {u"sha384,0,3",
         "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca1"
         "34c825a7"},
        {u"SHA512,0,3",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c2"
         "3a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
        {u"sha256,0,0x3", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {u"md5,9,1000", "68053af2923e00204c3ca7c6a3150cf7"}, // "789", cut at the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        const storetest::Call call = Invoke(f_bhash, h + u"," + c.arguments);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text, c.digest);
        EXPECT_EQ(fake::StdErr(), "");
    }
    // The digest of exactly the range, and "0" without a message when the system has none.
    EXPECT_EQ(fake::DigestSizes(), (std::vector<size_t>{3, 3, 3, 3, 3, 3, 3}));
    fake::SetDigestFails(true);
    const storetest::Call failed = Invoke(f_bhash, h + u",sha256");
    EXPECT_EQ(failed.result, 0);
    EXPECT_EQ(failed.text, "0");
    EXPECT_EQ(fake::StdErr(), "");
}

TEST_F(ContentCompareCopy, Crc32IsTheBitwiseOneOfEveryRange) {
    const std::u16string buffer = NewBuffer(100);
    Bytes bytes(100);
    std::mt19937 random(32);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    SetContents(buffer, bytes);
    char16_t expected[16];
    for (uint32_t start = 0; start < 100; start += 7)
        for (uint32_t length = 1; start + length <= 100; ++length) {
            text::Format(expected, 16, u"%08x", BitwiseCrc32(bytes.data() + start, length));
            const std::u16string arguments = buffer + u",crc32," +
                                             text::FromUtf8(std::to_string(start)) + u"," +
                                             text::FromUtf8(std::to_string(length));
            ASSERT_EQ(Invoke(f_bhash, arguments).text, text::ToUtf8(expected))
                << start << " " << length;
        }
}

TEST_F(ContentCompareCopy, RefusesBadDigests) {
    const std::u16string h = NewBuffer(10);
    struct Case {
        std::u16string argument;
        std::string message;
    } cases[] = {
        {u"", "Missing handle"},
        {h, "Missing algorithm"},
        {h + u",,0", "Missing algorithm"},
        {h + u",sha3", "Unknown algorithm: \"SHA3\""},
        {h + u",sha-256", "Unknown algorithm: \"SHA-256\""},
        {h + u",md5,x", "Bad start value: \"X\""},
        {h + u",md5,10", "Start address past end of buffer: 10 \u2265 10"},
        {h + u",md5,0,1k", "Bad length value: \"1K\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        EXPECT_EQ(Invoke(f_bhash, c.argument).result, -1);
        EXPECT_EQ(fake::StdErr(), ErrorLine(c.message));
    }
    EXPECT_TRUE(fake::DigestSizes().empty());
    EXPECT_EQ(f_bhash(nullptr), 87);
}

} // namespace
