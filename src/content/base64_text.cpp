#include "content/base64_text.h"

#include "sys/sys.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The six bits a character stands for in either alphabet, or -1.
int SextetOf(char16_t c) {
    if (c >= u'A' && c <= u'Z') return c - u'A';
    if (c >= u'a' && c <= u'z') return c - u'a' + 26;
    if (c >= u'0' && c <= u'9') return c - u'0' + 52;
    if (c == u'+' || c == u'-') return 62;
    if (c == u'/' || c == u'_') return 63;
    return -1;
}

} // namespace

void WriteBase64(const uint8_t* bytes, size_t count, char16_t* out) {
    size_t at = 0;
    for (size_t i = 0; i < count; i += 3) {
        const size_t left = count - i;
        const uint32_t group = uint32_t{bytes[i]} << 16 |
                               (left > 1 ? uint32_t{bytes[i + 1]} << 8 : 0) |
                               (left > 2 ? uint32_t{bytes[i + 2]} : 0);
        out[at++] = static_cast<char16_t>(kAlphabet[group >> 18]);
        out[at++] = static_cast<char16_t>(kAlphabet[group >> 12 & 63]);
        out[at++] = left > 1 ? static_cast<char16_t>(kAlphabet[group >> 6 & 63]) : u'=';
        out[at++] = left > 2 ? static_cast<char16_t>(kAlphabet[group & 63]) : u'=';
    }
    out[at] = 0;
}

int ReadBase64(const char16_t* text, uint8_t* out, size_t capacity) {
    size_t count = 0;
    uint32_t group = 0;
    int sextets = 0; // in `group`, 0 to 3
    int padding = 0; // the "=" read so far; nothing but white space and "=" may follow one
    for (const char16_t* c = text; *c != 0; ++c) {
        if (sys::IsSpace(*c)) continue;
        if (*c == u'=') {
            // One "=" after three characters of a group, or two after two.
            if (sextets < 2 || sextets + padding >= 4) return -1;
            ++padding;
            continue;
        }
        const int sextet = SextetOf(*c);
        if (sextet < 0 || padding > 0) return -1;
        group = group << 6 | static_cast<uint32_t>(sextet);
        if (++sextets < 4) continue;
        if (capacity - count < 3) return -1;
        out[count++] = static_cast<uint8_t>(group >> 16);
        out[count++] = static_cast<uint8_t>(group >> 8);
        out[count++] = static_cast<uint8_t>(group);
        group = 0;
        sextets = 0;
    }
    // Padding, when given, completes the last group.
    if (sextets == 1 || (padding > 0 && sextets + padding != 4)) return -1;
    if (sextets > 1) {
        // Two characters hold one byte, three two.
        const size_t bytes = static_cast<size_t>(sextets - 1);
        if (capacity - count < bytes) return -1;
        group <<= 6 * (4 - sextets);
        out[count++] = static_cast<uint8_t>(group >> 16);
        if (bytes == 2) out[count++] = static_cast<uint8_t>(group >> 8);
    }
    return count == 0 ? -1 : static_cast<int>(count);
}
