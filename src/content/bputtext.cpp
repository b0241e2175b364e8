// @BPUTTEXT: writes a text into a buffer, in a code page, UTF-8 or UTF-16LE, without a
// terminator.
#include <cstring>

#include "content/content_arguments.h"
#include "content/text_codec.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/report.h"
#include "text/format.h"

namespace {

enum Arg { kHandle, kOffset, kText, kEncoding };

} // namespace

KV_EXPORT int KV_API f_bputtext(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    // The text keeps its case, and blanks inside quotes.
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgQuotedTexts, &text, &buffer);
        stop != 0)
        return stop;
    uint32_t offset = 0;
    if (!ReadBufferOffset(kOffset, true, buffer, &offset)) return -1;
    if (!ArgGiven(kText)) return Refuse(u"Missing text\r\n");
    TextEncoding encoding = TextEncoding::Ansi;
    if (ArgGiven(kEncoding) && !ParseTextEncoding(ArgText(kEncoding), &encoding))
        return RefuseArgument(u"Bad encoding: \"%s\"\r\n", kEncoding);

    const char16_t* chars = ArgText(kText);
    const size_t length = static_cast<size_t>(ArgLength(kText));
    uint8_t bytes[kMostBytesPerUnit * kArgPoolUnits];
    int64_t unheld = -1;
    const int64_t count = EncodeText(encoding, chars, length, bytes, &unheld);
    if (count < 0 && unheld >= 0) {
        ReportMessage(u"Character not in code page %u: U+%04X\r\n", CodePageOf(encoding),
                      CodePointAt(chars, length, static_cast<size_t>(unheld)));
        return -1;
    }
    if (count < 0) {
        ReportMessage(u"Code page %u not available\r\n", CodePageOf(encoding));
        return -1;
    }
    if (!WriteFits(offset, static_cast<uint64_t>(count), buffer)) return -1;
    std::memcpy(buffer.Bytes() + offset, bytes, static_cast<size_t>(count));
    text::Format(text, kTextCapacity, u"%I64d", count);
    return 0;
}
