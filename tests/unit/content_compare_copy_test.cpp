// @BMEMCMP, @BDIFF, @BMEMCPY, @BFIND and @BHASH through their exports: byte order, defaults,
// first differences, overlapping copies against memmove, searches against a plain search at
// every place and in every direction, digests against known values, and the range and argument
// messages. @BDIFF about the ends of its pieces is held to Python (tests/value_agreement.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "content/crc32.h"
#include "content_test_fixture.h"
#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "store/last_transfer.h"
#include "text/format.h"

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

    // @BFIND of a text in `bytes`, with the options, against a plain search of one place at a time
    // by its rules: the nearest place to `start` in the search's direction, or -1. A wide text's
    // units compare whole.
    static void ExpectPlainFind(const std::u16string& buffer, const Bytes& bytes,
                                const std::u16string& text, const std::u16string& options,
                                size_t start) {
        const bool wide = options.find(u'w') != std::u16string::npos;
        const bool anyCase = options.find(u'i') != std::u16string::npos;
        const bool backwards = options.find(u'r') != std::u16string::npos;
        const auto symbol = [&](uint32_t c) {
            return anyCase && c >= 'A' && c <= 'Z' ? c + 32 : c;
        };
        const size_t width = wide ? 2 : 1;
        const auto matchesAt = [&](int64_t place) {
            for (size_t i = 0; i < text.size(); ++i) {
                const size_t at = static_cast<size_t>(place) + i * width;
                if (symbol(wide ? bytes[at] | bytes[at + 1] << 8 : bytes[at]) != symbol(text[i]))
                    return false;
            }
            return true;
        };
        const int64_t last = static_cast<int64_t>(bytes.size() - text.size() * width);
        int64_t found = -1;
        for (int64_t place = backwards ? std::min<int64_t>(start, last) : start;
             found < 0 && (backwards ? place >= 0 : place <= last); place += backwards ? -1 : 1)
            if (matchesAt(place)) found = place;
        ASSERT_EQ(Invoke(f_bfind, buffer + u",\"" + text + u"\"," +
                                      text::FromUtf8(std::to_string(start)) + u"," + options)
                      .text,
                  std::to_string(found))
            << text::ToUtf8(options) << " from " << start << " in " << bytes.size();
    }
};

TEST_F(ContentCompareCopy, ComparesAsUnsignedBytesFromTheFirstOn) {
    struct Case {
        Bytes first;               // bytes of a from offset 0
        Bytes second;              // bytes of b from offset 0
        const char16_t* arguments; // after "a,"
        const char* result;        // @BMEMCMP's
        const char* difference;    // @BDIFF's
    } cases[] = {
        {{}, {}, u"0,B,0", "0", "-1"},
        {{0x7F}, {0x80}, u"0,B,0", "-1", "0"},
        {{0x80}, {0x7F}, u"0,B,0", "1", "0"},
        {{0xFF}, {0x00}, u"0,B,0", "1", "0"},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 10}, u"0,B,0", "-1", "8"},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 10}, u"0,B,0,8", "0", "-1"},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 10}, u"0,B,0,9", "-1", "8"},
        // Within a group of four the first differing byte decides, not the group's value.
        {{1, 0x80, 0, 0}, {2, 0, 0, 0}, u"0,B,0,4", "-1", "0"},
        {{0, 0, 0, 2}, {0, 0, 0, 1}, u"0,B,0,4", "1", "3"},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}, {}, u"0,B,0", "1", "15"},
        {{5, 6, 7}, {0, 0, 5, 6, 7}, u"0,B,2,3", "0", "-1"},
        {{5, 6, 7}, {0, 0, 5, 6, 8}, u"0,B,2,3", "-1", "2"}, // counted from the ranges' starts
        {{}, {}, u"16,B,16,0", "0", "-1"},
        {{}, {}, u"0", "0", "-1"}, // the buffer with itself
        {{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {}, u"1", "-1", "0"}, // 1.. with 0..
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3}, {}, u"15,,0", "1", "0"},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3}, {}, u"16", "0", "-1"}, // nothing left
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3}, {}, u"12", "1", "3"},
        {{}, {0, 0, 4}, u"0,B", "-1", "2"}, // offset 2 defaults to 0
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
        for (const auto& [feature, result] :
             {std::pair<FeatureExport, const char*>{f_bmemcmp, c.result},
              {f_bdiff, c.difference}}) {
            const storetest::Call call = Invoke(feature, arguments);
            EXPECT_EQ(call.result, 0);
            EXPECT_EQ(call.text, result);
            EXPECT_EQ(fake::StdErr(), "");
        }
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
        for (FeatureExport feature : {f_bmemcmp, f_bdiff}) {
            SCOPED_TRACE(text::ToUtf8(c.argument));
            const storetest::Call call = Invoke(feature, c.argument);
            EXPECT_EQ(call.result, -1);
            EXPECT_EQ(fake::StdErr(), ErrorLine(c.message.substr(0, c.message.find("\r\n"))) +
                                          c.message.substr(c.message.find("\r\n") + 2));
        }
    }
    EXPECT_EQ(f_bmemcmp(nullptr), 87);
    EXPECT_EQ(f_bdiff(nullptr), 87);
}

TEST_F(ContentCompareCopy, BmemcmpReportsBadArguments) {
    struct Case {
        std::u16string argument;
        std::string message;
        FeatureExport feature = f_bmemcmp;
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
        {a, "Missing pattern", f_bfind},
        {a + u",hello", "Bad pattern: \"HELLO\"", f_bfind}, // a text is quoted
        {a + u",0x123", "Bad pattern: \"0X123\"", f_bfind},
        {a + u",0x4 1", "Bad pattern: \"0X4 1\"", f_bfind},
        // A text is one quoted text as a whole.
        {a + u",Jo\"hn\"", "Bad pattern: \"JOHN\"", f_bfind},
        {a + u",\"Jo\"hn", "Bad pattern: \"JOHN\"", f_bfind},
        {a + u",\"John\"\" \"", "Bad pattern: \"JOHN \"", f_bfind},
        {a + u",0x4\"1\"", "Bad pattern: \"0X41\"", f_bfind},
        // No UTF-8 for a lone surrogate.
        {a + u",\"\xD800\"", "Bad pattern: \"" + text::ToUtf8(u"\xD800") + "\"", f_bfind},
        {a + u",\"a\",16,r", "Start address past end of buffer: 16 \u2265 16", f_bfind},
        {a + u",\"a\",,rx", "Bad options value: \"RX\"", f_bfind},
        {a, "Missing algorithm", f_bhash},
        {a + u",sha-256", "Unknown algorithm: \"SHA-256\"", f_bhash},
        {a + u",md5,16", "Start address past end of buffer: 16 \u2265 16", f_bhash},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.argument));
        EXPECT_EQ(Invoke(c.feature, c.argument).result, -1);
        EXPECT_EQ(fake::StdErr(), ErrorLine(c.message));
        // @BDIFF reads its arguments as @BMEMCMP does.
        if (c.feature == f_bmemcmp) {
            EXPECT_EQ(Invoke(f_bdiff, c.argument).result, -1);
            EXPECT_EQ(fake::StdErr(), ErrorLine(c.message));
        }
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
    const std::u16string w = NewBuffer(6);
    SetContents(w, {'A', 0, 'b', 0, 'C', 0}); // "AbC" in UTF-16LE
    struct Case {
        const std::u16string* buffer;
        const char16_t* arguments; // after the handle and a comma
        const char* result;
    } cases[] = {
        {&h, u"\"hello\"", "14"},      {&h, u"\"HELLO\",1,I", "14"},
        {&h, u"\"hello\",13,R", "-1"}, {&h, u"\"hello\",13,ri", "0"},
        {&h, u"0x6C 6C,3", "16"},      {&h, u"0x4C4C,15,Ir", "2"}, // hex letters fold too
        {&h, u"0x00", "19"},           {&h, u"\"d! \"", "11"},     // quotes keep the blank
        {&h, u"\"\u00E9\"", "25"},     {&h, u"\"0x41\"", "-1"},    // quoted: a text
        {&w, u"\"BC\",0,wi", "2"},     {&w, u"\"bc\",,w", "-1"},
        {&w, u"0x4100,0,w", "0"},     // W leaves a hexadecimal pattern as it is
        {&h, u" \"hello\" ,1", "14"}, // blanks around the quotes are no part of it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.arguments));
        EXPECT_EQ(Invoke(f_bfind, *c.buffer + u"," + c.arguments).text, c.result);
    }
}

TEST_F(ContentCompareCopy, FindsWhatAPlainSearchFinds) {
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
            const std::u16string text(bytes.begin() + at, bytes.begin() + at + length);
            for (uint32_t start = 0; start < size; ++start)
                for (const char16_t* options : {u"", u"r", u"i", u"ir"})
                    ExpectPlainFind(buffer, bytes, text, options, start);
        }
    }
    // Matches of "aaaabaaaaa" (or its UTF-16LE units) in a buffer of "a": the quick search passes
    // nearly every place it tries and gives way after some hundred, so that as the nearer match
    // moves along, it is found by each search, and by the linear one at the very place it takes
    // over. The farther match has the other parity, which a search of units must weigh too.
    const uint32_t size = 4000;
    const std::u16string buffer = NewBuffer(size);
    for (const std::u16string options : {u"", u"i", u"w", u"wi", u"r", u"ir", u"wr", u"wir"}) {
        const size_t width = options.find(u'w') == std::u16string::npos ? 1 : 2;
        const std::u16string text =
            options.find(u'i') == std::u16string::npos ? u"aaaabaaaaa" : u"AAAABAAAAA";
        const bool backwards = options.find(u'r') != std::u16string::npos;
        for (uint32_t place = 101; place < 800; ++place) {
            Bytes bytes(size, 'a');
            for (uint32_t i = 1; width == 2 && i < size; i += 2) bytes[i] = 0;
            const size_t at = backwards ? size - 10 * width - place : place;
            for (const size_t match : {backwards ? at - 101 : at + 101, at})
                for (size_t i = 0; i < 10 * width; ++i)
                    bytes[match + i] = i % width != 0 ? 0 : i == 4 * width ? 'b' : 'a';
            SetContents(buffer, bytes);
            ExpectPlainFind(buffer, bytes, text, options, backwards ? size - 1 : 0);
        }
    }
    // The worst case of the quick search alone, which must not take minutes: a megabyte of one
    // letter, searched for that letter a thousand times before another.
    const std::u16string large = NewBuffer(1 << 20);
    SetContents(large, Bytes(1 << 20, 'a'));
    EXPECT_EQ(Invoke(f_bfind, large + u",\"" + std::u16string(1000, u'a') + u"b\"").text, "-1");
}

// ---- @BHASH ---------------------------------------------------------------------------------

TEST_F(ContentCompareCopy, GivesTheDigestsOfExactlyTheRange) {
    const std::u16string h = NewBuffer(100);
    SetContents(h, Bytes{'a', 'b', 'c', '1', '2', '3', '4', '5', '6', '7',
                         '8', '9', 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'});
    const char* digests[][2] = {
        // CRC-32 takes eight bytes a step: lengths about a step, and "123456789".
        {",crc32,3,1", "83dcefb7"},
        {",crc32,3,7", "5003699f"},
        {",crc32,3,8", "9ae0daaf"},
        {",crc32,3,9", "cbf43926"},
        {",crc32,3,16", "a2caafff"},
        {",CRC32,3,17", "bccb23c5"},
        {",MD5,0,0x3", "03030303030303030303030303030303"}, // the fake's: 3 bytes hashed
    };
    for (const auto& [arguments, digest] : digests)
        EXPECT_EQ(Invoke(f_bhash, h + text::FromUtf8(arguments)).text, digest) << arguments;
    std::string digest; // to the end of the buffer, 90 bytes, with the algorithm's length
    for (int i = 0; i < 48; ++i) digest += "5a";
    EXPECT_EQ(Invoke(f_bhash, h + u",sha384,10").text, digest);
    EXPECT_EQ(fake::DigestSizes(), (std::vector<size_t>{3, 90}));
    fake::PlanFault(fake::Call::Digest);
    EXPECT_EQ(Invoke(f_bhash, h + u",sha256").text, "0"); // without a message
    EXPECT_EQ(fake::StdErr(), "");
}

// Both ways to the CRC-32, on every length about a fold's steps, at every alignment, carried
// on from a CRC-32 before: folding must give what the tables give. Where the processor cannot
// fold, both are the tables.
TEST(Crc32, FoldingAgreesWithTheTables) {
    std::mt19937 random(39);
    Bytes bytes(70000);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    std::vector<size_t> sizes;
    for (size_t size = 0; size <= 300; ++size) sizes.push_back(size);
    for (size_t size : {1023u, 1024u, 4096u, 65535u, 65536u, 69999u - 15}) sizes.push_back(size);
    for (const size_t size : sizes)
        for (size_t align = 0; align < 16; align += size < 300 ? 5 : 1) {
            const uint32_t before = static_cast<uint32_t>(random());
            const uint8_t* at = bytes.data() + align;
            ASSERT_EQ(Crc32ByFolding(at, size, before), Crc32BySlices(at, size, before))
                << size << " bytes at " << align;
            ASSERT_EQ(Crc32(at, size, before), Crc32BySlices(at, size, before));
        }
    // Carried on: two pieces give the CRC-32 of the whole.
    const uint32_t whole = Crc32(bytes.data(), bytes.size());
    for (const size_t cut : {0u, 1u, 63u, 64u, 1000u, 69999u})
        EXPECT_EQ(Crc32(bytes.data() + cut, bytes.size() - cut, Crc32(bytes.data(), cut)), whole);
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc32(check, 9), 0xCBF43926u);
    std::printf("CRC-32 by folding %s\n", CanFoldCrc32() ? "tested" : "not here: tables only");
}

} // namespace
