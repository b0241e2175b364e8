// Null-terminated UTF-16 helpers and UTF-8 conversion.
#include "frame/text/u16.h"

#include <bit>
#include <cstring>

namespace text {

size_t Length(const char16_t* s) {
    if (s == nullptr) return 0;
    // Four units a round: fewer loop branches for the lines of a long listing. No unit past the
    // terminator is read.
    size_t n = 0;
    for (;; n += 4) {
        if (s[n] == 0) return n;
        if (s[n + 1] == 0) return n + 1;
        if (s[n + 2] == 0) return n + 2;
        if (s[n + 3] == 0) return n + 3;
    }
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

namespace {

// Eight units, all ASCII, as eight bytes; false when one of them is not ASCII. The units are
// read as two 64-bit words: the check and the narrowing take a few instructions for all eight.
bool NarrowAsciiRun(const char16_t* units, char* out) {
    if constexpr (std::endian::native != std::endian::little) {
        char16_t any = 0;
        for (int k = 0; k < 8; ++k) any |= units[k];
        if (any >= 0x80) return false;
        for (int k = 0; k < 8; ++k) out[k] = static_cast<char>(units[k]);
        return true;
    } else {
        uint64_t low = 0;
        uint64_t high = 0;
        std::memcpy(&low, units, sizeof low);
        std::memcpy(&high, units + 4, sizeof high);
        if (((low | high) & 0xFF80FF80FF80FF80u) != 0) return false;
        auto narrow = [](uint64_t w) {
            w = (w | (w >> 8)) & 0x0000FFFF0000FFFFu;
            return (w | (w >> 16)) & 0x00000000FFFFFFFFu;
        };
        const uint64_t bytes = narrow(low) | (narrow(high) << 32);
        std::memcpy(out, &bytes, sizeof bytes);
        return true;
    }
}

} // namespace

size_t EncodeUtf8(std::u16string_view utf16, char* out) {
    // Listings are mostly ASCII: runs of it go eight units at a time.
    constexpr size_t kRun = 8;
    char* at = out;
    const char16_t* units = utf16.data();
    const size_t n = utf16.size();
    for (size_t i = 0; i < n; ++i) {
        while (i + kRun <= n && NarrowAsciiRun(units + i, at)) {
            at += kRun;
            i += kRun;
        }
        if (i == n) break;
        char32_t code = units[i];
        if (code < 0x80) {
            *at++ = static_cast<char>(code);
            continue;
        }
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD; // a lone surrogate has no UTF-8 form
        }
        if (code < 0x800) {
            *at++ = static_cast<char>(0xC0 | (code >> 6));
            *at++ = static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            *at++ = static_cast<char>(0xE0 | (code >> 12));
            *at++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            *at++ = static_cast<char>(0x80 | (code & 0x3F));
        } else {
            *at++ = static_cast<char>(0xF0 | (code >> 18));
            *at++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            *at++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            *at++ = static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return static_cast<size_t>(at - out);
}

std::string ToUtf8(std::u16string_view utf16) {
    std::string out(utf16.size() * kUtf8BytesPerUnit, '\0');
    out.resize(EncodeUtf8(utf16, out.data()));
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
