// Floating-point text in both directions, through std::to_chars and std::from_chars: the same
// shortest digits and correct rounding on every build, and no locale.
#include "values/value_float.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <system_error>
#include <type_traits>

#include "frame/args.h"

namespace {

// The longest text a number can take: 24 characters for a binary64 like
// -2.2250738585072014e-308, and a fixed form is only chosen when it is no longer.
constexpr size_t kFloatTextCapacity = 64;

constexpr uint32_t kQuietNaN32 = 0x7FC00000;
constexpr uint64_t kQuietNaN64 = 0x7FF8000000000000;

// Whether a decimal number that from_chars found out of range is at least 1 in magnitude, and
// so too large rather than too small. `text` holds digits, an optional point and an optional
// exponent, without a sign: whatever from_chars took whole.
bool AtLeastOne(const char* text) {
    // The number is 0.D... times 10 to `power`, D its first significant digit.
    long long power = 0;
    bool significant = false;
    bool afterPoint = false;
    const char* p = text;
    for (; (*p >= '0' && *p <= '9') || *p == '.'; ++p) {
        if (*p == '.') {
            afterPoint = true;
        } else if (!afterPoint) {
            if (significant || *p != '0') {
                significant = true;
                ++power;
            }
        } else if (!significant) {
            if (*p == '0')
                --power;
            else
                significant = true;
        }
    }
    if (*p == 'e' || *p == 'E') {
        ++p;
        const bool negative = *p == '-';
        if (*p == '-' || *p == '+') ++p;
        // Far beyond any range: the sum cannot overflow.
        long long exponent = 0;
        for (; *p >= '0' && *p <= '9'; ++p)
            if (exponent < 1000000) exponent = exponent * 10 + (*p - '0');
        power += negative ? -exponent : exponent;
    }
    return power >= 1;
}

template <typename Float>
FloatParse ParseAs(const char* begin, const char* end, bool negative, uint64_t* bits) {
    using Bits = std::conditional_t<sizeof(Float) == 4, uint32_t, uint64_t>;
    Float value = 0;
    const std::from_chars_result read = std::from_chars(begin, end, value);
    if (read.ptr != end) return FloatParse::Bad;
    if (read.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone when it would round to a zero or to infinity.
        if (AtLeastOne(negative ? begin + 1 : begin)) return FloatParse::TooLarge;
        value = negative ? -Float{0} : Float{0};
    } else if (read.ec != std::errc()) {
        return FloatParse::Bad;
    }
    Bits pattern = std::bit_cast<Bits>(value);
    if (std::isnan(value)) {
        // One NaN for each sign, whatever the library makes of "nan".
        const Bits sign = Bits{1} << (8 * sizeof(Bits) - 1);
        pattern = (negative ? sign : 0) | (sizeof(Bits) == 4 ? kQuietNaN32 : kQuietNaN64);
    }
    *bits = pattern;
    return FloatParse::Done;
}

} // namespace

void WriteFloatValue(char16_t* out, size_t capacity, int n, uint64_t bits) {
    if (capacity == 0) return;
    char digits[kFloatTextCapacity];
    const std::to_chars_result written =
        n == 4 ? std::to_chars(digits, digits + sizeof digits,
                               std::bit_cast<float>(static_cast<uint32_t>(bits)))
               : std::to_chars(digits, digits + sizeof digits, std::bit_cast<double>(bits));
    const size_t length = written.ec == std::errc() ? written.ptr - digits : 0;
    size_t i = 0;
    for (; i < length && i + 1 < capacity; ++i) out[i] = static_cast<char16_t>(digits[i]);
    out[i] = 0;
}

FloatParse ParseFloatValue(const char16_t* text, int n, uint64_t* bits) {
    // from_chars reads ASCII; an argument is never longer than the pool it was split into.
    char ascii[kArgPoolUnits];
    size_t length = 0;
    for (; text[length] != 0; ++length) {
        // No character outside ASCII, and no "nan(...)", which from_chars would take.
        if (length + 1 >= sizeof ascii || text[length] >= 0x80 || text[length] == u'(')
            return FloatParse::Bad;
        ascii[length] = static_cast<char>(text[length]);
    }
    ascii[length] = 0;
    // from_chars takes a "-" but not a "+".
    const char* begin = ascii;
    if (*begin == '+' && begin[1] != '-') ++begin;
    const bool negative = *begin == '-';
    const char* end = ascii + length;
    return n == 4 ? ParseAs<float>(begin, end, negative, bits)
                  : ParseAs<double>(begin, end, negative, bits);
}
