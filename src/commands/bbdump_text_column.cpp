// BBDUMP's text column: how a buffer reads as text (ASCII, UTF-8, UTF-16 in either byte order, or
// a code page), and the characters of one line, kept one column per byte so that the column stays
// aligned under the values.
#include <algorithm>
#include <iterator>

#include "commands/bbdump.h"
#include "commands/bbdump_vector.h"
#include "text/format.h"

namespace dump {

namespace {

// Detection looks at no more than this many leading bytes.
constexpr uint32_t kDetectionLimit = 131072;
// Too little to judge the encoding by.
constexpr uint32_t kDetectionMinimum = 32;

constexpr char16_t kDefaultReplacement = 0x00B7;
constexpr uint32_t kByteOrderMark = 0xFEFF;

bool IsContinuation(uint8_t b) {
    return (b & 0xC0) == 0x80;
}

bool IsControl(uint32_t x) {
    return x < 0x20 || (x >= 0x7F && x <= 0x9F);
}

// What the column shows for a character that cannot be shown as it is.
char16_t Undisplayable(uint32_t x, const TextColumnLine& line) {
    return line.controlPictures ? ControlPicture(x, line.replacement) : line.replacement;
}

bool Displayable(uint32_t x) {
    return x != 0 && !IsControl(x);
}

// Appends a code point, as a surrogate pair above the basic plane. False when there is no room.
bool PutCodePoint(uint32_t x, char16_t* out, uint32_t capacity, uint32_t& used) {
    if (x >= 0x10000) {
        if (used + 2 > capacity) return false;
        x -= 0x10000;
        out[used++] = static_cast<char16_t>(0xD800 + (x >> 10));
        out[used++] = static_cast<char16_t>(0xDC00 + (x & 0x3FF));
        return true;
    }
    if (used + 1 > capacity) return false;
    out[used++] = static_cast<char16_t>(x);
    return true;
}

// The character of one byte in the modes that show every byte as one of its own.
char16_t RawChar(uint8_t b, const TextColumnLine& line) {
    if (b >= 0x80) return u' ';
    return Displayable(b) ? b : Undisplayable(b, line);
}

char16_t CodePageChar(uint8_t b, const TextColumnLine& line) {
    const char16_t x = line.codePageTable[b];
    return Displayable(x) ? x : Undisplayable(x, line);
}

bool UsesCodePage(const TextColumnLine& line) {
    return line.mode == TextCodePage && line.codePageTable != nullptr;
}

uint32_t RawColumn(const TextColumnLine& line, char16_t* out, uint32_t capacity) {
    uint32_t used = 0;
    for (uint32_t j = 0; j < line.hexWidth && used < capacity; ++j) {
        const uint64_t p = line.offset + j;
        out[used++] = p < line.end ? RawChar(line.buffer[p], line) : u' ';
    }
    return used;
}

uint32_t CodePageColumn(const TextColumnLine& line, char16_t* out, uint32_t capacity) {
    uint32_t used = 0;
    for (uint32_t j = 0; j < line.hexWidth && used < capacity; ++j) {
        const uint64_t p = line.offset + j;
        out[used++] = p < line.end ? CodePageChar(line.buffer[p], line) : u' ';
    }
    return used;
}

uint32_t Utf8Column(const TextColumnLine& line, char16_t* out, uint32_t capacity) {
    uint32_t used = 0;
    uint32_t skip = 0;
    for (uint32_t j = 0; j < line.hexWidth; ++j) {
        const uint64_t p = line.offset + j;
        uint32_t x = u' ';
        if (p < line.end) {
            x = DecodeUtf8At(line.buffer, line.size, static_cast<uint32_t>(p));
            if (x == kByteOrderMark && p == 0)
                x = u' ';
            else if (!Displayable(x))
                x = Undisplayable(x, line);
        }
        if (x >= 0x10000) {
            if (!PutCodePoint(x, out, capacity, used)) break;
            ++skip;
        } else if (skip > 0) {
            --skip;
        } else if (!PutCodePoint(x, out, capacity, used)) {
            break;
        }
    }
    return used;
}

uint32_t Utf16Column(const TextColumnLine& line, char16_t* out, uint32_t capacity) {
    const bool bigEndian = line.mode == TextUtf16BE;
    uint32_t used = 0;
    bool pair = false;
    for (uint32_t j = 0; j < line.hexWidth; j += 2) {
        const uint64_t p = line.offset + j;
        uint32_t x = u' ';
        if (p + 1 < line.end) {
            x = DecodeUtf16At(line.buffer, line.size, static_cast<uint32_t>(p), bigEndian);
            if (x == kByteOrderMark && p == 0)
                x = u' ';
            else if (!Displayable(x))
                x = Undisplayable(x, line);
        }
        if (used + 2 > capacity) break;
        if (x >= 0x10000) {
            PutCodePoint(x, out, capacity, used);
            pair = true;
        } else if (pair) {
            out[used++] = u' ';
            out[used++] = u' ';
            pair = false;
        } else {
            out[used++] = static_cast<char16_t>(x);
            out[used++] = u' ';
        }
    }
    return used;
}

bool HasFullCodePageTable(const DumpSettings& settings) {
    const char16_t* table = settings.CodePageTable;
    if (table == nullptr) return false;
    for (int b = 1; b < 256; ++b)
        if (table[b] == 0) return false;
    return true;
}

} // namespace

int LooksLikeUtf8(const uint8_t* buffer, uint32_t size) {
    if (buffer == nullptr || size < kDetectionMinimum) return 0;
    const uint32_t n = std::min(size, kDetectionLimit);
    uint32_t p = 0;
    // A buffer may begin in the middle of a character.
    while (p < n && IsContinuation(buffer[p])) {
        if (p == 3) return 0;
        ++p;
    }
    if (p >= n) return 0;
    uint32_t pending = 0;
    uint32_t sequences = 0;
    for (; p < n; ++p) {
        const uint8_t b = buffer[p];
        if (pending > 0) {
            if (!IsContinuation(b)) return 0;
            if (--pending == 0) ++sequences;
        } else if (b < 0x80) {
            continue;
        } else if (b < 0xC0) {
            return 0;
        } else if (b < 0xE0) {
            pending = 1;
        } else if (b < 0xF0) {
            pending = 2;
        } else if (b < 0xF8) {
            pending = 3;
        } else {
            return 0;
        }
    }
    return sequences > 0 ? 1 : 0;
}

int GuessUtf16(const uint8_t* buffer, uint32_t size) {
    if (buffer == nullptr || size < kDetectionMinimum) return 0;
    const uint32_t factor = size < 128 ? 2 : 4;
    // Counters start at 1 so that a parity without any blank or zero still compares.
    uint32_t blanks[2] = {1, 1};
    uint32_t zeros[2] = {1, 1};
    const uint32_t n = std::min(size, kDetectionLimit);
    for (uint32_t p = 0; p < n; ++p) {
        if (buffer[p] == 0x20) ++blanks[p & 1];
        if (buffer[p] == 0x00) ++zeros[p & 1];
    }
    if (blanks[0] > factor * blanks[1] && zeros[1] > factor * zeros[0]) return TextUtf16LE;
    if (blanks[1] > factor * blanks[0] && zeros[0] > factor * zeros[1]) return TextUtf16BE;
    return 0;
}

TextMode DetectTextMode(const uint8_t* buffer, uint32_t size, const DumpSettings& settings) {
    if (LooksLikeUtf8(buffer, size)) return TextUtf8;
    const int utf16 = GuessUtf16(buffer, size);
    if (utf16 != 0) return static_cast<TextMode>(utf16);
    if (HasFullCodePageTable(settings)) return TextCodePage;
    return TextRaw;
}

uint32_t DecodeUtf8At(const uint8_t* buffer, uint32_t size, uint32_t p) {
    if (buffer == nullptr || size == 0 || p >= size) return 0;
    const uint8_t b = buffer[p];
    if (b < 0x80) return b;
    if (b < 0xC0) return u' ';
    uint32_t follow = 0;
    uint32_t x = 0;
    if (b < 0xE0) {
        follow = 1;
        x = b & 0x1F;
    } else if (b < 0xF0) {
        follow = 2;
        x = b & 0x0F;
    } else if (b < 0xF8) {
        follow = 3;
        x = b & 0x07;
    } else {
        return u' ';
    }
    // A lead byte whose sequence would run past the buffer starts no character.
    if (static_cast<uint64_t>(p) + follow >= size) return u' ';
    for (uint32_t i = 1; i <= follow; ++i) {
        const uint8_t c = buffer[p + i];
        if (!IsContinuation(c)) return 0xFFFD;
        x = (x << 6) | (c & 0x3F);
    }
    return x > 0x10FFFF ? 0 : x;
}

uint32_t DecodeUtf16At(const uint8_t* buffer, uint32_t size, uint32_t p, bool bigEndian) {
    if (buffer == nullptr || size < 2 || p >= size - 1) return 0;
    auto unitAt = [&](uint32_t at) -> uint32_t {
        return bigEndian ? (uint32_t{buffer[at]} << 8) | buffer[at + 1]
                         : (uint32_t{buffer[at + 1]} << 8) | buffer[at];
    };
    const uint32_t u = unitAt(p);
    if (u >= 0xD800 && u <= 0xDBFF && size >= 4 && p < size - 3) {
        const uint32_t v = unitAt(p + 2);
        if (v >= 0xDC00 && v <= 0xDFFF) return 0x10000 + (((u & 0x3FF) << 10) | (v & 0x3FF));
    }
    return u;
}

char16_t ControlPicture(uint32_t x, char16_t replacement) {
    if (x < 0x20) return static_cast<char16_t>(0x2400 + x);
    if (x == 0x7F) return 0x2421;
    return replacement;
}

const char16_t* EncodingName(uint32_t mode, uint32_t codePage) {
    switch (mode) {
    case TextRaw:
        return u"Raw";
    case TextUtf8:
        return u"UTF-8";
    case TextUtf16LE:
        return u"UTF-16LE";
    case TextUtf16BE:
        return u"UTF-16BE";
    case TextCodePage: {
        static char16_t name[16];
        text::Format(name, std::size(name), u"Code Page %u", codePage);
        return name;
    }
    default:
        return u"Unknown";
    }
}

bool ByteColumnChars(const TextColumnLine& line, char16_t* chars) {
    if (chars == nullptr || line.mode == TextUtf8 || line.mode == TextUtf16LE ||
        line.mode == TextUtf16BE)
        return false;
    TextColumnLine column = line;
    if (column.replacement == 0) column.replacement = kDefaultReplacement;
    const bool codePage = UsesCodePage(column);
    for (uint32_t b = 0; b < kByteValues; ++b) {
        const uint8_t byte = static_cast<uint8_t>(b);
        chars[b] = codePage ? CodePageChar(byte, column) : RawChar(byte, column);
    }
    return true;
}

uint32_t WriteByteColumn(const char16_t* chars, const TextColumnLine& line, char16_t* out,
                         uint32_t capacity) {
    if (chars == nullptr || line.buffer == nullptr || out == nullptr) return 0;
    const uint32_t width = std::min(line.hexWidth, capacity);
    const uint64_t inside = line.end > line.offset ? line.end - line.offset : 0;
    const uint32_t shown = static_cast<uint32_t>(std::min<uint64_t>(width, inside));
    const uint8_t* bytes = line.buffer + line.offset;
    // Raw bytes go eight at a time by compares instead of the table, the rest by the table.
    uint32_t j = 0;
    if (!UsesCodePage(line))
        j = PutRawColumnRuns(bytes, shown,
                             line.replacement != 0 ? line.replacement : kDefaultReplacement,
                             line.controlPictures, out);
    for (; j < shown; ++j) out[j] = chars[bytes[j]];
    for (j = shown; j < width; ++j) out[j] = u' ';
    return width;
}

uint32_t WriteTextColumn(const TextColumnLine& line, char16_t* out, uint32_t capacity) {
    if (line.buffer == nullptr || out == nullptr) return 0;
    TextColumnLine column = line;
    if (column.replacement == 0) column.replacement = kDefaultReplacement;
    switch (column.mode) {
    case TextUtf8:
        return Utf8Column(column, out, capacity);
    case TextUtf16LE:
    case TextUtf16BE:
        return Utf16Column(column, out, capacity);
    case TextCodePage:
        if (UsesCodePage(column)) return CodePageColumn(column, out, capacity);
        return RawColumn(column, out, capacity);
    default:
        return RawColumn(column, out, capacity);
    }
}

} // namespace dump
