// Random words through the exports: what @BPOKEX stores @BPEEKX reads back, masked to the word,
// @BMODVAL ADD then SUBTRACT of one value restores the word. The floating-point and base64
// round trips are held to Python on random data (tests/value_agreement.py, base64_agreement.py).
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

} // namespace
