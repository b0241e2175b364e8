#include "content/text_codec.h"

#include <cstring>

#include "sys/sys.h"
#include "text/u16.h"

namespace {

constexpr uint32_t kUtf8CodePage = 65001;
constexpr uint32_t kUtf16CodePage = 1200;
constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(uint32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Units written into a bounded output; `full` once a unit found no room.
struct UnitSink {
    char16_t* out;
    size_t room; // units before the terminator's place
    size_t used = 0;
    bool full = false;

    void Put(uint32_t code) {
        const size_t units = code >= 0x10000 ? 2 : 1;
        if (used + units > room) {
            full = true;
            return;
        }
        if (units == 2) {
            code -= 0x10000;
            out[used++] = static_cast<char16_t>(0xD800 + (code >> 10));
            out[used++] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out[used++] = static_cast<char16_t>(code);
        }
    }
    int64_t Finish() {
        out[used] = 0;
        return full ? -1 : static_cast<int64_t>(used);
    }
};

// UTF-8 up to the first zero byte, by the one decoder's rules.
int64_t DecodeUtf8Text(const uint8_t* bytes, size_t count, UnitSink& sink) {
    for (size_t i = 0; i < count && bytes[i] != 0 && !sink.full;) {
        size_t taken = 0;
        sink.Put(text::DecodeUtf8(bytes + i, count - i, &taken));
        i += taken;
    }
    return sink.Finish();
}

int64_t DecodeUtf16(const uint8_t* bytes, size_t count, UnitSink& sink) {
    const auto unitAt = [bytes](size_t i) {
        return static_cast<uint32_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    };
    const size_t units = count / 2;
    size_t i = 0;
    for (; i < units && !sink.full; ++i) {
        const uint32_t unit = unitAt(i);
        if (unit == 0) return sink.Finish();
        if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(unitAt(i + 1))) {
            sink.Put(0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) && i + 1 == units && count % 2 != 0) {
            // A pair cut short by the end, its second unit one byte: one sequence, one
            // replacement.
            sink.Put(kReplacement);
            return sink.Finish();
        } else {
            sink.Put(IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit);
        }
    }
    // A last byte alone is no unit.
    if (i == units && count % 2 != 0) sink.Put(kReplacement);
    return sink.Finish();
}

int64_t DecodeCodePage(uint32_t codePage, const uint8_t* bytes, size_t count, UnitSink& sink) {
    const void* zero = std::memchr(bytes, 0, count);
    const size_t length =
        zero == nullptr ? count : static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes);
    if (length == 0) return sink.Finish();
    // No code page gives fewer units than one for two bytes.
    if (length / 2 > sink.room) {
        sink.full = true;
        return sink.Finish();
    }
    const char* text = reinterpret_cast<const char*>(bytes);
    const int needed = sys::MultiByteToWide(codePage, text, static_cast<int>(length), nullptr, 0);
    if (needed <= 0) {
        sink.Finish();
        return kCodePageUnavailable;
    }
    if (static_cast<size_t>(needed) > sink.room) {
        sink.full = true;
        return sink.Finish();
    }
    const int written =
        sys::MultiByteToWide(codePage, text, static_cast<int>(length), sink.out, needed);
    sink.used = written > 0 ? static_cast<size_t>(written) : 0;
    if (written <= 0) {
        sink.Finish();
        return kCodePageUnavailable;
    }
    return sink.Finish();
}

int64_t EncodeUtf8(const char16_t* text, size_t length, uint8_t* out, int64_t* unheld) {
    for (size_t i = 0; i < length; ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            *unheld = static_cast<int64_t>(i);
            return -1;
        }
    }
    return static_cast<int64_t>(
        text::EncodeUtf8(std::u16string_view(text, length), reinterpret_cast<char*>(out)));
}

} // namespace

bool ParseTextEncoding(const char16_t* text, TextEncoding* encoding) {
    if (text[0] == 0 || text[1] != 0) return false;
    switch (text[0]) {
    case u'A':
    case u'a':
        *encoding = TextEncoding::Ansi;
        return true;
    case u'O':
    case u'o':
        *encoding = TextEncoding::Oem;
        return true;
    case u'8':
        *encoding = TextEncoding::Utf8;
        return true;
    case u'W':
    case u'w':
        *encoding = TextEncoding::Utf16;
        return true;
    default:
        return false;
    }
}

uint32_t CodePointAt(const char16_t* text, size_t length, size_t index) {
    const uint32_t unit = text[index];
    if (IsHighSurrogate(unit) && index + 1 < length && IsLowSurrogate(text[index + 1]))
        return 0x10000 + ((unit - 0xD800) << 10) + (text[index + 1] - 0xDC00u);
    return unit;
}

uint32_t CodePageOf(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Ansi:
        return sys::AnsiCodePage();
    case TextEncoding::Oem:
        return sys::OemCodePage();
    case TextEncoding::Utf8:
        return kUtf8CodePage;
    case TextEncoding::Utf16:
        return kUtf16CodePage;
    }
    return 0;
}

int64_t DecodeText(TextEncoding encoding, const uint8_t* bytes, size_t count, char16_t* out,
                   size_t capacity) {
    if (capacity == 0) return -1;
    UnitSink sink{out, capacity - 1};
    if (encoding == TextEncoding::Utf16) return DecodeUtf16(bytes, count, sink);
    // A system whose code page is UTF-8 decodes it by the same rules as "8".
    const uint32_t codePage = CodePageOf(encoding);
    if (codePage == kUtf8CodePage) return DecodeUtf8Text(bytes, count, sink);
    return DecodeCodePage(codePage, bytes, count, sink);
}

int64_t EncodeText(TextEncoding encoding, const char16_t* text, size_t length, uint8_t* out,
                   int64_t* unheld) {
    *unheld = -1;
    if (encoding == TextEncoding::Utf16) {
        for (size_t i = 0; i < length; ++i) {
            out[2 * i] = static_cast<uint8_t>(text[i]);
            out[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
        }
        return static_cast<int64_t>(2 * length);
    }
    const uint32_t codePage = CodePageOf(encoding);
    if (codePage == kUtf8CodePage) return EncodeUtf8(text, length, out, unheld);
    int index = -1;
    const int written =
        sys::WideToMultiByte(codePage, text, static_cast<int>(length), reinterpret_cast<char*>(out),
                             static_cast<int>(kMostBytesPerUnit * length), &index);
    if (written < 0) *unheld = index;
    return written;
}
