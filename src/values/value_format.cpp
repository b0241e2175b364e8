// The five output formats of a word's value.
#include "values/value_format.h"

#include "frame/numbers.h"
#include "text/format.h"
#include "values/value_word.h"

bool ParseOutputFormat(const char16_t* text, OutputFormat* format) {
    if (text == nullptr || format == nullptr) return false;
    // Only the plain "+" names the signed format; "+1" or "-" are no format numbers either.
    if (text[0] == u'+' && text[1] == 0) {
        *format = OutputFormat::Signed;
        return true;
    }
    uint32_t number = 0;
    if (ParseU32(text, &number) != 0) return false;
    switch (number) {
    case 1:
        *format = OutputFormat::Signed;
        break;
    case 2:
        *format = OutputFormat::Hex;
        break;
    case 3:
        *format = OutputFormat::BareHex;
        break;
    case 4:
        *format = OutputFormat::Octal;
        break;
    default:
        *format = OutputFormat::Unsigned;
        break;
    }
    return true;
}

void WriteWordValue(char16_t* out, size_t capacity, OutputFormat format, int n, uint64_t value) {
    const uint64_t word = value & WordMask(n);
    const int hexDigits = 2 * n;
    const int octalDigits = (8 * n + 2) / 3;
    switch (format) {
    case OutputFormat::Signed:
        text::Format(out, capacity, u"%I64d", static_cast<int64_t>(SignExtend(n, word)));
        break;
    case OutputFormat::Hex:
        text::Format(out, capacity, u"0x%0*I64X", hexDigits, word);
        break;
    case OutputFormat::BareHex:
        text::Format(out, capacity, u"%0*I64X", hexDigits, word);
        break;
    case OutputFormat::Octal:
        text::Format(out, capacity, u"0o%0*I64o", octalDigits, word);
        break;
    case OutputFormat::Unsigned:
        text::Format(out, capacity, u"%I64u", word);
        break;
    }
}
