// Random words through the exports: what @BPOKEX stores @BPEEKX reads back, masked to the word,
// @BMODVAL ADD then SUBTRACT of one value restores the word, the text @BPEEKF gives of any bits
// @BPOKEF turns back into them, and what @BGETB64 gives of a range @BPUTB64 writes back as the
// same bytes, in either alphabet, padded or not, with blanks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "text/u16.h"
#include "values_test_fixture.h"

namespace {

using ValueProperties = valuestest::ValuesFixture;

constexpr size_t kBufferSize = 64;
constexpr int kRounds = 2000;

uint64_t Mask(int n) {
    return n == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * n)) - 1;
}

// A value for an N-byte word, as text: unsigned in range, or signed in the signed range.
struct ValueText {
    std::u16string text;
    uint64_t bits;
};

ValueText RandomValue(std::mt19937_64& random, int n) {
    const uint64_t bits = random() & Mask(n);
    switch (random() % 4) {
    case 0:
        return {text::FromUtf8(std::to_string(bits)), bits};
    case 1: {
        char hex[24];
        std::snprintf(hex, sizeof hex, "0x%llx", static_cast<unsigned long long>(bits));
        return {text::FromUtf8(hex), bits};
    }
    default: {
        // Signed: the same bits read as an N-byte two's-complement number.
        const int64_t value = n == 8 || (bits >> (8 * n - 1)) == 0
                                  ? static_cast<int64_t>(bits)
                                  : static_cast<int64_t>(bits | ~Mask(n));
        std::string digits = std::to_string(value);
        if (value >= 0 && random() % 2 == 0) digits = "+" + digits;
        return {text::FromUtf8(digits), bits};
    }
    }
}

TEST_F(ValueProperties, PokeThenPeekGivesTheValueBack) {
    std::mt19937_64 random(20261208);
    const uint32_t buffer = NewBuffer(kBufferSize);
    for (int round = 0; round < kRounds; ++round) {
        const int n = 1 + static_cast<int>(random() % 8);
        const uint32_t offset = static_cast<uint32_t>(random() % (kBufferSize - n + 1));
        const std::string flags = random() % 2 ? "1" : "0";
        const ValueText value = RandomValue(random, n);
        const std::u16string place =
            text::FromUtf8(std::to_string(offset) + "," + std::to_string(n) + ",");
        SCOPED_TRACE(text::ToUtf8(place + value.text) + " flags " + flags);

        const std::vector<uint8_t> before = Bytes(buffer, kBufferSize);
        const storetest::Call poke =
            On(f_bpokex, buffer, place + value.text + u"," + text::FromUtf8(flags));
        ASSERT_EQ(poke.result, 0) << fake::StdErr();
        const storetest::Call peek = On(f_bpeekx, buffer, place + u"0," + text::FromUtf8(flags));
        ASSERT_EQ(peek.result, 0) << fake::StdErr();
        EXPECT_EQ(peek.text, std::to_string(value.bits & Mask(n)));

        // Only the word's bytes changed.
        const std::vector<uint8_t> after = Bytes(buffer, kBufferSize);
        for (size_t i = 0; i < kBufferSize; ++i) {
            if (i < offset || i >= offset + n) {
                ASSERT_EQ(after[i], before[i]) << "byte " << i;
            }
        }
    }
}

TEST_F(ValueProperties, AddThenSubtractRestoresTheWord) {
    std::mt19937_64 random(8122026);
    const uint32_t buffer = NewBuffer(kBufferSize);
    for (size_t i = 0; i < kBufferSize; ++i) BufferAt(buffer)[i] = static_cast<uint8_t>(random());
    for (int round = 0; round < kRounds; ++round) {
        const int n = 1 + static_cast<int>(random() % 8);
        const uint32_t offset = static_cast<uint32_t>(random() % (kBufferSize - n + 1));
        const std::string flags = random() % 2 ? "1" : "0";
        const ValueText value = RandomValue(random, n);
        const std::u16string place =
            text::FromUtf8(std::to_string(offset) + "," + std::to_string(n) + ",");
        const std::u16string tail = u"," + value.text + u",0," + text::FromUtf8(flags);
        SCOPED_TRACE(text::ToUtf8(place + value.text) + " flags " + flags);

        const std::vector<uint8_t> before = Bytes(buffer, kBufferSize);
        const storetest::Call old = On(f_bpeekx, buffer, place + u"0," + text::FromUtf8(flags));
        const storetest::Call added = On(f_bmodval, buffer, place + u"ADD" + tail);
        ASSERT_EQ(added.result, 0) << fake::StdErr();
        const uint64_t expected = (std::stoull(old.text) + value.bits) & Mask(n);
        EXPECT_EQ(added.text, std::to_string(expected));
        const storetest::Call subtracted = On(f_bmodval, buffer, place + u"SUBTRACT" + tail);
        ASSERT_EQ(subtracted.result, 0) << fake::StdErr();
        EXPECT_EQ(subtracted.text, old.text);
        ASSERT_EQ(Bytes(buffer, kBufferSize), before);
    }
}

TEST_F(ValueProperties, FloatTextReadsBackToTheSameBits) {
    std::mt19937_64 random(20261211);
    const uint32_t buffer = NewBuffer(kBufferSize);
    for (int round = 0; round < kRounds; ++round) {
        const int n = random() % 2 ? 4 : 8;
        const std::u16string place = n == 4 ? u"8,4," : u"8,8,";
        const std::u16string order = random() % 2 ? u"1" : u"0";
        // Bits of every kind: any, then with the exponent's extremes (subnormals, infinities and
        // NaNs), then small integers.
        uint64_t bits = random() & Mask(n);
        const int exponentShift = n == 4 ? 23 : 52;
        const uint64_t exponent = n == 4 ? 0xFF : 0x7FF;
        switch (round % 4) {
        case 1:
            bits &= ~(exponent << exponentShift);
            break;
        case 2:
            bits |= exponent << exponentShift;
            break;
        case 3: {
            const std::string integer =
                std::to_string(static_cast<int64_t>(random() % 2000001) - 1000000);
            ASSERT_EQ(On(f_bpokef, buffer, place + text::FromUtf8(integer)).result, 0);
            EXPECT_EQ(On(f_bpeekf, buffer, place).text, integer);
            continue;
        }
        }
        std::vector<uint8_t> bytes(n);
        for (int i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
        if (order == u"1") std::reverse(bytes.begin(), bytes.end());
        std::copy(bytes.begin(), bytes.end(), BufferAt(buffer) + 8);

        const storetest::Call peek = On(f_bpeekf, buffer, place + order);
        ASSERT_EQ(peek.result, 0) << fake::StdErr();
        SCOPED_TRACE(peek.text);
        const storetest::Call poke =
            On(f_bpokef, buffer, place + text::FromUtf8(peek.text) + u"," + order);
        ASSERT_EQ(poke.result, 0) << fake::StdErr();
        // A NaN comes back as the quiet NaN of its sign.
        const uint64_t sign = uint64_t{1} << (8 * n - 1);
        const uint64_t fraction = (uint64_t{1} << exponentShift) - 1;
        const bool nan = ((bits >> exponentShift) & exponent) == exponent && (bits & fraction) != 0;
        const uint64_t expected =
            nan ? (bits & sign) | (exponent << exponentShift) | (uint64_t{1} << (exponentShift - 1))
                : bits;
        EXPECT_EQ(
            On(f_bpeekx, buffer, u"8," + text::FromUtf8(std::to_string(n)) + u",0," + order).text,
            std::to_string(expected));
    }
}

TEST_F(ValueProperties, Base64TextWritesTheSameBytesBack) {
    std::mt19937_64 random(39);
    constexpr size_t kSize = 300;
    const uint32_t source = NewBuffer(kSize);
    const uint32_t target = NewBuffer(kSize);
    for (size_t i = 0; i < kSize; ++i) BufferAt(source)[i] = static_cast<uint8_t>(random());
    for (int round = 0; round < kRounds; ++round) {
        const uint32_t start = static_cast<uint32_t>(random() % kSize);
        const uint32_t count = 1 + static_cast<uint32_t>(random() % (kSize - start));
        const uint32_t offset = static_cast<uint32_t>(random() % (kSize - count + 1));
        const storetest::Call got = On(
            f_bgetb64, source, text::FromUtf8(std::to_string(start) + "," + std::to_string(count)));
        ASSERT_EQ(got.result, 0) << fake::StdErr();
        ASSERT_EQ(got.text.size(), (count + 2) / 3 * 4);
        // The same bytes as another writer may give them.
        std::string text = got.text;
        if (random() % 2) {
            for (char& c : text) c = c == '+' ? '-' : c == '/' ? '_' : c;
        }
        if (random() % 2) text.erase(text.find_last_not_of('=') + 1);
        for (int blanks = static_cast<int>(random() % 4); blanks > 0; --blanks)
            text.insert(random() % (text.size() + 1), random() % 2 ? " " : "\r\n");
        SCOPED_TRACE(text);

        const std::vector<uint8_t> before = Bytes(target, kSize);
        const storetest::Call put =
            On(f_bputb64, target, text::FromUtf8(std::to_string(offset) + "," + text));
        ASSERT_EQ(put.result, 0) << fake::StdErr();
        EXPECT_EQ(put.text, std::to_string(count));
        std::vector<uint8_t> expected = before;
        std::copy(BufferAt(source) + start, BufferAt(source) + start + count,
                  expected.begin() + offset);
        ASSERT_EQ(Bytes(target, kSize), expected);
    }
}

} // namespace
