// @BFIND: where a byte pattern first occurs in a buffer, searching forwards or backwards.
#include "content/byte_search.h"
#include "content/content_arguments.h"
#include "content/hex_digits.h"
#include "content/text_codec.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "text/format.h"
#include "text/u16.h"

namespace {

enum Arg { kHandle, kPattern, kStart, kOptions };

constexpr char16_t kBadPattern[] = u"Bad pattern: \"%s\"\r\n";

// A whole argument of text, each unit three bytes of UTF-8, is a pattern too.
static_assert(kMostPatternBytes >= kMostBytesPerUnit * kArgPoolUnits);

struct FindOptions {
    bool anyCase = false;   // I: ASCII letters match in either case
    bool wide = false;      // W: a text pattern is matched as UTF-16LE
    bool backwards = false; // R: the last occurrence at or before the start
};

// Letters, each at most once a meaning, in any order and either case.
bool ReadFindOptions(int index, FindOptions* options) {
    for (const char16_t* c = ArgText(index); *c != 0; ++c) {
        switch (text::AsciiLower(*c)) {
        case u'i':
            options->anyCase = true;
            break;
        case u'w':
            options->wide = true;
            break;
        case u'r':
            options->backwards = true;
            break;
        default:
            RefuseArgument(u"Bad options value: \"%s\"\r\n", index);
            return false;
        }
    }
    return true;
}

// "0x" and hexadecimal digits, unless the argument was quoted: then it is a text.
bool IsHexPattern(const char16_t* text) {
    return !ArgQuoted(kPattern) && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X');
}

} // namespace

KV_EXPORT int KV_API f_bfind(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    // Not upper-cased: a text pattern keeps its case, and its blanks inside quotes.
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgQuotedTexts, &text, &buffer);
        stop != 0)
        return stop;

    if (!ArgGiven(kPattern)) return Refuse(u"Missing pattern\r\n");
    const char16_t* patternText = ArgText(kPattern);
    const bool hex = IsHexPattern(patternText);
    uint8_t bytes[kMostPatternBytes];
    int64_t length = 0;
    if (hex) {
        length = ReadHexBytes(patternText + 2, bytes, sizeof bytes);
        if (length < 0) return RefuseArgument(kBadPattern, kPattern);
    } else if (!ArgWholeQuoted(kPattern)) {
        // A text is one quoted text as a whole: quotes elsewhere (Jo"hn", "a""b") are no text.
        return RefuseArgument(kBadPattern, kPattern);
    }

    uint32_t start = 0;
    if (!ReadStart(kStart, buffer, &start)) return -1;
    FindOptions options;
    if (!ReadFindOptions(kOptions, &options)) return -1;
    // A backward search starts at the last byte unless told otherwise.
    if (options.backwards && !ArgGiven(kStart)) start = buffer.size - 1;

    if (!hex) {
        int64_t unheld = -1;
        length = EncodeText(options.wide ? TextEncoding::Utf16 : TextEncoding::Utf8, patternText,
                            static_cast<size_t>(ArgLength(kPattern)), bytes, &unheld);
        if (length <= 0) return RefuseArgument(kBadPattern, kPattern);
    }
    // W makes a text UTF-16LE, and its letters are then whole units; it leaves bytes as they are.
    const BytePattern pattern{bytes, static_cast<size_t>(length), options.anyCase,
                              options.wide && !hex};
    const int64_t found = options.backwards
                              ? FindLast(buffer.Bytes(), buffer.size, start, pattern)
                              : FindFirst(buffer.Bytes(), buffer.size, start, pattern);
    text::Format(text, kTextCapacity, u"%I64d", found);
    return 0;
}
