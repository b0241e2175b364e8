// @BGETTEXT: the text stored in a buffer, in a code page, UTF-8 or UTF-16LE.
#include "content/content_arguments.h"
#include "content/text_codec.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/report.h"
#include "text/u16.h"

namespace {

enum Arg { kHandle, kOffset, kLength, kEncoding };

} // namespace

KV_EXPORT int KV_API f_bgettext(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &buffer);
        stop != 0)
        return stop;
    ByteRange range;
    if (!ReadReadRangeAt(kOffset, true, kLength, buffer, &range)) return -1;
    TextEncoding encoding = TextEncoding::Ansi;
    if (ArgGiven(kEncoding) && !ParseTextEncoding(ArgText(kEncoding), &encoding))
        return RefuseArgument(u"Bad encoding: \"%s\"\r\n", kEncoding);

    // Decoded aside, so that a refused text leaves the host's text as it was.
    char16_t decoded[kTextCapacity];
    const int64_t units =
        DecodeText(encoding, buffer.Bytes() + range.start, range.count, decoded, kTextCapacity);
    if (units == kCodePageUnavailable) {
        ReportMessage(u"Code page %u not available\r\n", CodePageOf(encoding));
        return -1;
    }
    if (units < 0) {
        ReportMessage(u"Text too long for the result: more than %u characters\r\n",
                      static_cast<unsigned>(kTextCapacity - 1));
        return -1;
    }
    text::CopyBounded(text, kTextCapacity, decoded);
    return 0;
}
