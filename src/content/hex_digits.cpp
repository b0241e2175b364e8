#include "content/hex_digits.h"

#include "sys/sys.h"

namespace {

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

void WriteDigits(const uint8_t* bytes, size_t count, char16_t* out, const char* digits) {
    for (size_t i = 0; i < count; ++i) {
        out[2 * i] = static_cast<char16_t>(digits[bytes[i] >> 4]);
        out[2 * i + 1] = static_cast<char16_t>(digits[bytes[i] & 0xF]);
    }
    out[2 * count] = 0;
}

} // namespace

int ReadHexBytes(const char16_t* text, uint8_t* out, size_t capacity, HexSeparators separators) {
    const bool commas = separators == HexSeparators::BlanksAndCommas;
    size_t count = 0;
    for (const char16_t* c = text; *c != 0;) {
        if (sys::IsSpace(*c) || (commas && *c == u',')) {
            ++c;
            continue;
        }
        const int high = DigitValue(c[0]);
        const int low = high < 0 ? -1 : DigitValue(c[1]);
        if (low < 0 || count == capacity) return -1;
        out[count++] = static_cast<uint8_t>(high << 4 | low);
        c += 2;
    }
    return count == 0 ? -1 : static_cast<int>(count);
}

void WriteHexDigits(const uint8_t* bytes, size_t count, char16_t* out) {
    WriteDigits(bytes, count, out, "0123456789ABCDEF");
}

void WriteLowerHexDigits(const uint8_t* bytes, size_t count, char16_t* out) {
    WriteDigits(bytes, count, out, "0123456789abcdef");
}
