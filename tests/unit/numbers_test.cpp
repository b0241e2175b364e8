// The number, size and buffer handle syntax, and the N-byte operations: one table per rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fake/fake_sys.h"
#include "frame/numbers.h"
#include "sys/sys.h"
#include "text/format.h"
#include "text/u16.h"

namespace {

std::string Show(const char16_t* s) {
    return "\"" + text::ToUtf8(s) + "\"";
}

// What was written to standard error since the last look.
std::string TakeStdErr() {
    std::string written = fake::StdErr();
    fake::ClearOutput();
    return written;
}

// Clean output and an empty heap for the parsers that print or ask the host.
class NumbersTest : public ::testing::Test {
protected:
    void SetUp() override { fake::Reset(); }
};

// ---- ParseU32, ParseU64, ParseS64 -------------------------------------------------------------

template <typename T>
struct NumberCase {
    const char16_t* text;
    int result;
    T value; // when result is 0
};

// Each parser stores on success only; a failed parse leaves the preset value.
template <typename T, typename Parse>
void ExpectNumbers(Parse parse, const std::vector<NumberCase<T>>& cases) {
    for (const NumberCase<T>& c : cases) {
        SCOPED_TRACE("text " + Show(c.text));
        T value = 77;
        EXPECT_EQ(parse(c.text, &value), c.result);
        EXPECT_EQ(value, c.result == 0 ? c.value : 77);
    }
}

TEST(ParseU32, WholeText) {
    ExpectNumbers<uint32_t>([](const char16_t* t, uint32_t* v) { return ParseU32(t, v); },
                            {
                                {u"0", 0, 0},
                                {u"7", 0, 7},
                                {u"017", 0, 17},
                                {u"0x1F", 0, 31},
                                {u"0X1f", 0, 31},
                                {u"0o17", 0, 15},
                                {u"0O17", 0, 15},
                                {u"4294967295", 0, 4294967295u},
                                {u"0xFFFFFFFF", 0, 4294967295u},
                                {u"0o37777777777", 0, 4294967295u},
                                {u"0x00000000000000000001", 0, 1},
                                {u"4294967296", 34, 0},
                                {u"99999999999999999999999", 34, 0},
                                {u"0x100000000", 34, 0},
                                {u"0o40000000000", 34, 0},
                                {u"4294967296x", 34, 0},
                                {u"0x", -1, 0},
                                {u"0xG", -1, 0},
                                {u"0o", -1, 0},
                                {u"0o8", -1, 0},
                                {u"0x0x5", -1, 0},
                                {u"019a", -1, 0},
                                {u"1e3", -1, 0},
                                {u"", -1, 0},
                                {u"x1", -1, 0},
                                {u"-1", -1, 0},
                                {u"+1", -1, 0},
                                {u" 1", -1, 0},
                                {u"1 ", -1, 0},
                                {u"\uff11", -1, 0}, // a full-width digit is no digit
                            });
}

TEST(ParseU32, WithRest) {
    struct Case {
        const char16_t* text;
        int result;
        uint32_t value;
        const char16_t* rest;
    };
    const Case cases[] = {
        {u"12", 0, 12, u""},       {u"0x", 0, 0, u"x"},
        {u"12abc", 0, 12, u"abc"}, {u"0x1G", 0, 1, u"G"},
        {u"0o78", 0, 7, u"8"},     {u"0o8", 0, 0, u"o8"},
        {u"0xg", 0, 0, u"xg"},     {u"5 K", 0, 5, u" K"},
        {u"0x10B", 0, 0x10B, u""}, {u"4294967296K", 34, 0, nullptr},
        {u"K", -1, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text " + Show(c.text));
        uint32_t value = 77;
        const char16_t* rest = u"untouched";
        EXPECT_EQ(ParseU32(c.text, &value, &rest), c.result);
        if (c.result == 0) {
            EXPECT_EQ(value, c.value);
            EXPECT_EQ(rest, c.text + text::Length(c.text) - text::Length(c.rest));
        } else {
            EXPECT_EQ(value, 77u);
            EXPECT_EQ(Show(rest), "\"untouched\"");
        }
    }
}

TEST(ParseU32, NullPointers) {
    uint32_t value;
    const char16_t* rest;
    EXPECT_EQ(ParseU32(nullptr, &value), -1);
    EXPECT_EQ(ParseU32(nullptr, &value, &rest), -1);
    EXPECT_EQ(ParseU32(u"1", nullptr), -1);
    EXPECT_EQ(ParseU32(u"1", nullptr, &rest), -1);
}

TEST(ParseU64, WholeText) {
    ExpectNumbers<uint64_t>(ParseU64, {
                                          {u"0", 0, 0},
                                          {u"305419896", 0, 305419896},
                                          {u"18446744073709551615", 0, UINT64_MAX},
                                          {u"0xFFFFFFFFFFFFFFFF", 0, UINT64_MAX},
                                          {u"0o1777777777777777777777", 0, UINT64_MAX},
                                          {u"18446744073709551616", 34, 0},
                                          {u"0x10000000000000000", 34, 0},
                                          {u"0o2000000000000000000000", 34, 0},
                                          {u"-1", -1, 0},
                                          {u"+1", -1, 0},
                                          {u"1x", -1, 0},
                                          {u"0x", -1, 0},
                                          {u"", -1, 0},
                                      });
    uint64_t value;
    EXPECT_EQ(ParseU64(nullptr, &value), -1);
    EXPECT_EQ(ParseU64(u"1", nullptr), -1);
}

TEST(ParseS64, WholeText) {
    ExpectNumbers<int64_t>(ParseS64, {
                                         {u"-5", 0, -5},
                                         {u"+5", 0, 5},
                                         {u"5", 0, 5},
                                         {u"-0", 0, 0},
                                         {u"0xA", 0, 10},
                                         {u"0o777", 0, 511},
                                         {u"017", 0, 17},
                                         {u"9223372036854775807", 0, INT64_MAX},
                                         {u"+9223372036854775807", 0, INT64_MAX},
                                         {u"-9223372036854775808", 0, INT64_MIN},
                                         {u"0xFFFFFFFFFFFFFFFF", 0, -1},
                                         {u"0x8000000000000000", 0, INT64_MIN},
                                         {u"0o1777777777777777777777", 0, -1},
                                         {u"9223372036854775808", 34, 0},
                                         {u"+9223372036854775808", 34, 0},
                                         {u"-9223372036854775809", 34, 0},
                                         {u"-99999999999999999999", 34, 0},
                                         {u"0x10000000000000000", 34, 0},
                                         {u"-0x5", -1, 0},
                                         {u"+0x5", -1, 0},
                                         {u"-", -1, 0},
                                         {u"+", -1, 0},
                                         {u"--5", -1, 0},
                                         {u"- 5", -1, 0},
                                         {u"5-", -1, 0},
                                         {u"", -1, 0},
                                     });
    int64_t value;
    EXPECT_EQ(ParseS64(nullptr, &value), -1);
    EXPECT_EQ(ParseS64(u"1", nullptr), -1);
}

// ---- ParseSize --------------------------------------------------------------------------------

struct SizeCase {
    const char16_t* text;
    int result;
    uint32_t size;         // when result is 0
    const char* message;   // after the error report's prefix; "" for none
    const char16_t* after; // the argument afterwards
};

TEST_F(NumbersTest, ParseSizeUnitsElementsAndMessages) {
    const SizeCase cases[] = {
        {u"0", 0, 0, "", u"0"},
        {u"1", 0, 1, "", u"1"},
        {u"5 ", 0, 5, "", u"5 "},
        {u"1K", 0, 1024, "", u"1K"},
        {u"1k", 0, 1000, "", u"1k"},
        {u"1M", 0, 1048576, "", u"1M"},
        {u"1m", 0, 1000000, "", u"1m"},
        {u"1G", 0, 1073741824, "", u"1G"},
        {u"3g", 0, 3000000000u, "", u"3g"},
        {u"2KW", 0, 4096, "", u"2KW"},
        {u"1Kb", 0, 1024, "", u"1Kb"},
        {u"2 kw", 0, 4000, "", u"2 kw"},
        {u"3 MD", 0, 12582912, "", u"3 MD"},
        {u"100b", 0, 100, "", u"100b"},
        {u"5q", 0, 40, "", u"5q"},
        {u"5 B", 0, 5, "", u"5 B"},
        {u"0G", 0, 0, "", u"0G"},
        {u"0GQ", 0, 0, "", u"0GQ"},
        {u"0x10K", 0, 16384, "", u"0x10K"},
        {u"0x10B", 0, 267, "", u"0x10B"},
        {u"0o10W", 0, 16, "", u"0o10W"},
        {u"4294967295", 0, 4294967295u, "", u"4294967295"},
        {u"4294967295B", 0, 4294967295u, "", u"4294967295B"},
        {u"4194303K", 0, 4294966272u, "", u"4194303K"},
        {u"4G", -4, 0, "Value overflow: \"4G\"\r\n", u"4G"},
        {u"1GQ", -4, 0, "Value overflow: \"1GQ\"\r\n", u"1GQ"},
        {u"1gq", -4, 0, "Value overflow: \"1GQ\"\r\n", u"1GQ"},
        {u"5g", -4, 0, "Value overflow: \"5G\"\r\n", u"5G"},
        {u"4294967295W", -4, 0, "Value overflow: \"4294967295W\"\r\n", u"4294967295W"},
        {u"4194304K", -4, 0, "Value overflow: \"4194304K\"\r\n", u"4194304K"},
        {u"5X", -3, 0, "Unknown unit: \"X\"\r\n", u"5X"},
        {u"5x", -3, 0, "Unknown unit: \"X\"\r\n", u"5X"},
        {u"5 K B", -3, 0, "Unknown unit: \"K B\"\r\n", u"5 K B"},
        {u"5KBX", -3, 0, "Unknown unit: \"KBX\"\r\n", u"5KBX"},
        {u"5BK", -3, 0, "Unknown unit: \"BK\"\r\n", u"5BK"},
        {u"5 kb ", -3, 0, "Unknown unit: \"KB \"\r\n", u"5 KB "},
        {u"0x", -3, 0, "Unknown unit: \"X\"\r\n", u"0X"},
        {u"1.5K", -3, 0, "Unknown unit: \".5K\"\r\n", u"1.5K"},
        {u"abc", -1, 0, "Bad size: \"ABC\"\r\n", u"ABC"},
        {u"", -1, 0, "Bad size: \"\"\r\n", u""},
        {u"-1k", -1, 0, "Bad size: \"-1K\"\r\n", u"-1K"},
        {u"4294967296", 34, 0, "Bad size: \"4294967296\"\r\n", u"4294967296"},
        {u"0x1ffffffffk", 34, 0, "Bad size: \"0X1FFFFFFFFK\"\r\n", u"0X1FFFFFFFFK"},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE("text " + Show(c.text));
        std::u16string argument = c.text;
        uint32_t size = 77;
        EXPECT_EQ(ParseSize(argument.data(), &size), c.result);
        EXPECT_EQ(size, c.result == 0 ? c.size : 77u);
        const std::string message = *c.message ? std::string("Korvanite plugin: ") + c.message : "";
        EXPECT_EQ(TakeStdErr(), message);
        EXPECT_EQ(Show(argument.c_str()), Show(c.after));
    }
}

TEST_F(NumbersTest, ParseSizeNullPointersFailQuietly) {
    char16_t text[] = u"1K";
    uint32_t size;
    EXPECT_EQ(ParseSize(nullptr, &size), -1);
    EXPECT_EQ(ParseSize(text, nullptr), -1);
    EXPECT_EQ(TakeStdErr(), "");
}

// ---- ParseBufferHandle ------------------------------------------------------------------------

// Some of the table's texts take no value: they go to the formatter unchecked.
std::u16string Formatted(const char16_t* format, uint32_t value) {
    char16_t out[64];
    text::FormatUnchecked(out, 64, format, value);
    return out;
}

TEST_F(NumbersTest, ParseBufferHandleAcceptsOnlyTheStartOfAKnownBlock) {
    const uint32_t kSize = 1000;
    void* block = sys::HeapAllocZeroed(kSize);
    ASSERT_NE(block, nullptr);
    const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
    ASSERT_EQ(reinterpret_cast<uintptr_t>(block), address) << "blocks lie below 4 GiB";
    ASSERT_EQ(address % 8, 0u);

    struct Case {
        const char16_t* format;
        uint32_t value;
        bool valid;
    };
    const Case cases[] = {
        {u"%08X", address, true},
        {u"%X", address, true},
        {u"%x", address, true},
        {u"0x%X", address, true},
        {u"0X%08x", address, true},
        {u"000%08X", address, true},
        // As the C library reads hexadecimal: leading white space and "+" are harmless.
        {u" %08X", address, true},
        {u"+%X", address, true},
        // ... but a "-" would be negated into another address.
        {u"-%X", 0u - address, false},
        {u"-%X", address, false},
        {u"%08X ", address, false},
        {u"%08Xz", address, false},
        {u"%08X,", address, false},
        {u"1%08X", address, false},
        {u"0x0x%X", address, false},
        {u"%08X", address + 4, false},
        {u"%08X", address + 8, false},
        {u"%08X", address - 8, false},
        {u"%08X", 0, false},
        {u"0x", 0, false},
        {u"%08X", 0x1000, false},
        {u"", 0, false},
        {u" ", 0, false},
        {u"+", 0, false},
    };
    for (const Case& c : cases) {
        const std::u16string handle = Formatted(c.format, c.value);
        SCOPED_TRACE("handle " + Show(handle.c_str()));
        uint32_t size = 77;
        EXPECT_EQ(ParseBufferHandle(handle.c_str(), &size), c.valid ? address : 0u);
        EXPECT_EQ(size, c.valid ? kSize : 77u);
        EXPECT_EQ(ParseBufferHandle(handle.c_str()), c.valid ? address : 0u);
    }

    const std::u16string handle = Formatted(u"%08X", address);
    ASSERT_TRUE(sys::HeapRelease(block));
    EXPECT_EQ(ParseBufferHandle(handle.c_str()), 0u) << "a freed block is no buffer";
    EXPECT_EQ(ParseBufferHandle(nullptr), 0u);
    EXPECT_EQ(TakeStdErr(), "");
}

// ---- N-byte operations ------------------------------------------------------------------------

TEST(FitsUnsigned, Table) {
    struct Case {
        int n;
        uint64_t value;
        int fits;
    };
    const Case cases[] = {
        {0, 0, 0},
        {-1, 0, 0},
        {1, 0, 1},
        {1, 255, 1},
        {1, 256, 0},
        {2, 65535, 1},
        {2, 65536, 0},
        {4, 0xFFFFFFFF, 1},
        {4, 0x100000000, 0},
        {7, 0xFFFFFFFFFFFFFF, 1},
        {7, 0x100000000000000, 0},
        {8, UINT64_MAX, 1},
        {9, UINT64_MAX, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitsUnsigned(c.n, c.value), c.fits) << c.n << " " << c.value;
}

TEST(FitsSigned, Table) {
    struct Case {
        int n;
        int64_t value;
        int fits;
    };
    const Case cases[] = {
        {0, 0, 0},
        {-1, 0, 0},
        {1, -128, 1},
        {1, 127, 1},
        {1, 128, 0},
        {1, -129, 0},
        {2, -32768, 1},
        {2, 32768, 0},
        {4, INT32_MIN, 1},
        {4, int64_t{INT32_MAX} + 1, 0},
        {4, int64_t{INT32_MIN} - 1, 0},
        {7, -(int64_t{1} << 55), 1},
        {7, int64_t{1} << 55, 0},
        {8, INT64_MIN, 1},
        {8, INT64_MAX, 1},
        {12, -1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitsSigned(c.n, c.value), c.fits) << c.n << " " << c.value;
}

TEST(SignExtend, Table) {
    struct Case {
        int n;
        uint64_t value;
        uint64_t extended;
    };
    const Case cases[] = {
        {2, 0x8000, 0xFFFFFFFFFFFF8000},
        {2, 0x7FFF, 0x7FFF},
        {1, 0x80, 0xFFFFFFFFFFFFFF80},
        {1, 0x7F, 0x7F},
        // Only bit 8N-1 decides; bits above it are kept when it is clear.
        {1, 0x17F, 0x17F},
        {1, 0x1FF, 0xFFFFFFFFFFFFFFFF},
        {4, 0x80000000, 0xFFFFFFFF80000000},
        {7, 0x80000000000000, 0xFF80000000000000},
        {7, 0x7FFFFFFFFFFFFF, 0x7FFFFFFFFFFFFF},
        {0, 0x80, 0x80},
        {8, 0x8000, 0x8000},
        {-3, 0xFF, 0xFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SignExtend(c.n, c.value), c.extended) << c.n << " " << c.value;
}

TEST(ReverseBytes, Table) {
    struct Case {
        int n;
        std::string before;
        int result;
        std::string after;
    };
    const Case cases[] = {
        {0, "abcdefghij", 0, "abcdefghij"},  {1, "abcdefghij", 0, "abcdefghij"},
        {-2, "abcdefghij", 0, "abcdefghij"}, {2, "abcdefghij", 1, "bacdefghij"},
        {3, "abcdefghij", 1, "cbadefghij"},  {4, "abcdefghij", 1, "dcbaefghij"},
        {8, "abcdefghij", 1, "hgfedcbaij"},
    };
    for (const Case& c : cases) {
        std::string bytes = c.before;
        EXPECT_EQ(ReverseBytes(c.n, bytes.data()), c.result) << c.n;
        EXPECT_EQ(bytes, c.after) << c.n;
    }
    EXPECT_EQ(ReverseBytes(4, nullptr), -1);
}

TEST(IsOptionSeparator, OnlyColonAndEquals) {
    for (char16_t c : {u':', u'='}) EXPECT_EQ(IsOptionSeparator(c), 1);
    for (char16_t c : {u'/', u' ', u'-', u';', u'\0', u'\uff1a'})
        EXPECT_EQ(IsOptionSeparator(c), 0);
}

} // namespace
