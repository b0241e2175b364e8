// Null-terminated UTF-16 helpers and UTF-8 conversion.
#include "frame/text/u16.h"

namespace text {

size_t Length(const char16_t* s) {
    if (s == nullptr) return 0;
    size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
}

size_t CopyBounded(char16_t* out, size_t capacity, const char16_t* s) {
    if (capacity == 0) return 0;
    size_t n = 0;
    if (s != nullptr)
        while (n + 1 < capacity && s[n] != 0) {
            out[n] = s[n];
            ++n;
        }
    out[n] = 0;
    return n;
}

bool AppendBounded(char16_t* out, size_t capacity, const char16_t* s) {
    size_t used = 0;
    while (used < capacity && out[used] != 0) ++used;
    if (used >= capacity) return false;
    size_t wanted = Length(s);
    size_t copied = CopyBounded(out + used, capacity - used, s);
    return copied == wanted;
}

char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

bool EqualNoCase(const char16_t* a, const char16_t* b) {
    if (a == nullptr || b == nullptr) return a == b;
    return EqualNoCase(std::u16string_view(a), std::u16string_view(b));
}

bool StartsWithNoCase(const char16_t* s, std::u16string_view prefix) {
    if (s == nullptr) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (s[i] == 0 || AsciiLower(s[i]) != AsciiLower(prefix[i])) return false;
    return true;
}

std::u16string FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int extra = lead < 0x80           ? 0
                    : (lead >> 5) == 0x6  ? 1
                    : (lead >> 4) == 0xE  ? 2
                    : (lead >> 3) == 0x1E ? 3
                                          : -1;
        static const unsigned char kLeadMask[] = {0x7F, 0x1F, 0x0F, 0x07};
        char32_t code = extra < 0 ? 0 : lead & kLeadMask[extra];
        bool valid = extra >= 0 && i + static_cast<size_t>(extra) < utf8.size();
        for (int k = 1; valid && k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            else
                code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static const char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (valid &&
            (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
            valid = false;
        if (!valid) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::string ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t code = utf16[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD; // a lone surrogate has no UTF-8 form
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

size_t WidenAscii(char16_t* out, size_t capacity, const char* s) {
    if (capacity == 0) return 0;
    size_t n = 0;
    if (s != nullptr)
        while (n + 1 < capacity && s[n] != 0) {
            out[n] = static_cast<unsigned char>(s[n]);
            ++n;
        }
    out[n] = 0;
    return n;
}

} // namespace text
