// The bounded formatter. Every unit goes through Sink::Put, which counts what the whole text
// needs and stores only what fits, so no conversion can write past the caller's buffer.
#include "text/format.h"

#include <charconv>
#include <cstdint>

namespace text {
namespace {

struct Sink {
    char16_t* out;
    size_t capacity; // units for text, the terminator excluded
    size_t needed = 0;

    void Put(char16_t c) {
        if (needed < capacity) out[needed] = c;
        ++needed;
    }
    void Repeat(char16_t c, int count) {
        for (int i = 0; i < count; ++i) Put(c);
    }
};

struct Spec {
    bool left = false;
    bool zero = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    int width = 0;
    int precision = -1; // -1: none given
};

enum class Size { Int, Short, Long64 };

// Writes `body` (ASCII digits and the like) with its sign or prefix, padded to the width.
void PutPadded(Sink& sink, const Spec& spec, const char* prefix, const char* body, int bodyLength,
               bool zeroPadAllowed) {
    int prefixLength = 0;
    while (prefix[prefixLength] != 0) ++prefixLength;
    int total = prefixLength + bodyLength;
    int padding = spec.width > total ? spec.width - total : 0;
    bool zeroPad = zeroPadAllowed && spec.zero && !spec.left;
    if (!spec.left && !zeroPad) sink.Repeat(u' ', padding);
    for (int i = 0; i < prefixLength; ++i) sink.Put(static_cast<char16_t>(prefix[i]));
    if (zeroPad) sink.Repeat(u'0', padding);
    for (int i = 0; i < bodyLength; ++i) sink.Put(static_cast<char16_t>(body[i]));
    if (spec.left) sink.Repeat(u' ', padding);
}

void PutInteger(Sink& sink, const Spec& spec, uint64_t magnitude, bool negative, int base,
                bool upper, bool isSigned) {
    char digits[72];
    int length = 0;
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    // A precision of 0 with the value 0 prints no digits, as printf does.
    if (magnitude != 0 || spec.precision != 0) {
        char reversed[72];
        int n = 0;
        do {
            reversed[n++] = set[magnitude % static_cast<unsigned>(base)];
            magnitude /= static_cast<unsigned>(base);
        } while (magnitude != 0);
        int precision = spec.precision > 64 ? 64 : spec.precision;
        while (n < precision) reversed[n++] = '0';
        if (base == 8 && spec.alternate && reversed[n - 1] != '0') reversed[n++] = '0';
        while (n > 0) digits[length++] = reversed[--n];
    }
    const char* prefix = "";
    if (isSigned) {
        if (negative)
            prefix = "-";
        else if (spec.plus)
            prefix = "+";
        else if (spec.space)
            prefix = " ";
    } else if (base == 16 && spec.alternate && length > 0 && !(length == 1 && digits[0] == '0')) {
        prefix = upper ? "0X" : "0x";
    }
    // With a precision, "0" pads no more: the precision already fixed the digits.
    PutPadded(sink, spec, prefix, digits, length, spec.precision < 0);
}

void PutFixed(Sink& sink, const Spec& spec, double value) {
    int precision = spec.precision < 0 ? 6 : (spec.precision > 60 ? 60 : spec.precision);
    char body[400];
    const char* prefix = "";
    if (value != value) {
        PutPadded(sink, spec, "", "nan", 3, false);
        return;
    }
    if (value < 0 || (value == 0 && 1 / value < 0)) {
        prefix = "-";
        value = -value;
    } else if (spec.plus) {
        prefix = "+";
    } else if (spec.space) {
        prefix = " ";
    }
    if (value > 1e300) {
        PutPadded(sink, spec, prefix, "inf", 3, false);
        return;
    }
    auto result =
        std::to_chars(body, body + sizeof body, value, std::chars_format::fixed, precision);
    int length = result.ec == std::errc() ? static_cast<int>(result.ptr - body) : 0;
    PutPadded(sink, spec, prefix, body, length, true);
}

void PutText(Sink& sink, const Spec& spec, const char16_t* s) {
    static const char16_t kNull[] = u"(null)";
    if (s == nullptr) s = kNull;
    size_t length = 0;
    while (s[length] != 0 && (spec.precision < 0 || length < static_cast<size_t>(spec.precision)))
        ++length;
    size_t padding = spec.width > 0 && static_cast<size_t>(spec.width) > length
                         ? static_cast<size_t>(spec.width) - length
                         : 0;
    if (!spec.left) sink.Repeat(u' ', static_cast<int>(padding));
    for (size_t i = 0; i < length; ++i) sink.Put(s[i]);
    if (spec.left) sink.Repeat(u' ', static_cast<int>(padding));
}

// Reads a width or precision: digits, or "*" from the arguments.
int ReadCount(const char16_t*& p, va_list& args, bool& fromArgs) {
    fromArgs = false;
    if (*p == u'*') {
        ++p;
        fromArgs = true;
        return va_arg(args, int);
    }
    int value = 0;
    while (*p >= u'0' && *p <= u'9') {
        if (value < 100000) value = value * 10 + (*p - u'0');
        ++p;
    }
    return value;
}

} // namespace

size_t FormatV(char16_t* out, size_t capacity, const char16_t* format, va_list argsIn) {
    Sink sink{out, capacity == 0 ? 0 : capacity - 1};
    if (format == nullptr) format = u"";
    va_list args;
    va_copy(args, argsIn);
    for (const char16_t* p = format; *p != 0;) {
        if (*p != u'%') {
            sink.Put(*p++);
            continue;
        }
        const char16_t* start = p++;
        if (*p == u'%') {
            sink.Put(u'%');
            ++p;
            continue;
        }
        Spec spec;
        for (;; ++p) {
            if (*p == u'-')
                spec.left = true;
            else if (*p == u'0')
                spec.zero = true;
            else if (*p == u'+')
                spec.plus = true;
            else if (*p == u' ')
                spec.space = true;
            else if (*p == u'#')
                spec.alternate = true;
            else
                break;
        }
        bool fromArgs = false;
        spec.width = ReadCount(p, args, fromArgs);
        if (fromArgs && spec.width < 0) {
            spec.left = true;
            spec.width = spec.width == INT32_MIN ? 0 : -spec.width;
        }
        if (*p == u'.') {
            ++p;
            spec.precision = ReadCount(p, args, fromArgs);
            if (spec.precision < 0) spec.precision = -1;
        }
        Size size = Size::Int;
        if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
            size = Size::Long64;
            p += 3;
        } else if (p[0] == u'l' && p[1] == u'l') {
            size = Size::Long64;
            p += 2;
        } else if (*p == u'l') {
            ++p; // long is 32 bits on the host's platform
        } else if (*p == u'h') {
            size = Size::Short;
            ++p;
        }
        char16_t conversion = *p;
        if (conversion == 0) break;
        ++p;
        switch (conversion) {
        case u'd':
        case u'i': {
            int64_t value = size == Size::Long64 ? va_arg(args, int64_t) : va_arg(args, int);
            if (size == Size::Short) value = static_cast<int16_t>(value);
            uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : value;
            PutInteger(sink, spec, magnitude, value < 0, 10, false, true);
            break;
        }
        case u'u':
        case u'x':
        case u'X':
        case u'o': {
            uint64_t value =
                size == Size::Long64 ? va_arg(args, uint64_t) : va_arg(args, unsigned int);
            if (size == Size::Short) value = static_cast<uint16_t>(value);
            int base = conversion == u'u' ? 10 : conversion == u'o' ? 8 : 16;
            PutInteger(sink, spec, value, false, base, conversion == u'X', false);
            break;
        }
        case u'q':
            PutInteger(sink, spec, va_arg(args, uint64_t), false, 10, false, false);
            break;
        case u'c': {
            Spec text = spec;
            text.precision = -1;
            char16_t one[2] = {static_cast<char16_t>(va_arg(args, int)), 0};
            if (one[0] == 0) { // a NUL character still takes its place
                PutPadded(sink, spec, "", "", 0, false);
                break;
            }
            PutText(sink, text, one);
            break;
        }
        case u's':
            PutText(sink, spec, va_arg(args, const char16_t*));
            break;
        case u'f':
            PutFixed(sink, spec, va_arg(args, double));
            break;
        default: // unknown conversion: copy it as it stands
            for (const char16_t* q = start; q < p; ++q) sink.Put(*q);
            break;
        }
    }
    va_end(args);
    if (capacity != 0) out[sink.needed < sink.capacity ? sink.needed : sink.capacity] = 0;
    return sink.needed;
}

size_t FormatUnchecked(char16_t* out, size_t capacity, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    size_t needed = FormatV(out, capacity, format, args);
    va_end(args);
    return needed;
}

} // namespace text
