#include "language/words.h"

namespace host {

std::u16string DecimalText(long long value) {
    char16_t digits[24];
    size_t at = sizeof digits / sizeof digits[0];
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    do {
        digits[--at] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[--at] = u'-';
    return std::u16string(digits + at, sizeof digits / sizeof digits[0] - at);
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimBlanksView(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::u16string_view WithoutQuotes(std::u16string_view text) {
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"')
        return text.substr(1, text.size() - 2);
    return text;
}

} // namespace host
