// @BGETB64: a range of a buffer as base64 text.
#include "content/base64_text.h"
#include "content/content_arguments.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/report.h"

namespace {

enum Arg { kHandle, kStart, kLength };

// Whole groups of three bytes, four characters each, and the terminator must fit in the result:
// a multiple of 3, so that the texts of consecutive ranges of that size join into one text.
constexpr uint32_t kMostBase64Bytes = (kTextCapacity - 1) / 4 * 3;
static_assert(Base64Length(kMostBase64Bytes) < kTextCapacity);

} // namespace

KV_EXPORT int KV_API f_bgetb64(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &buffer);
        stop != 0)
        return stop;
    ByteRange range;
    if (!ReadReadRange(kStart, kLength, buffer, &range)) return -1;
    // Never a text cut short: a batch file could not tell it from the whole.
    if (range.count > kMostBase64Bytes) {
        ReportMessage(u"Range too long for base64 text: %u bytes > %u\r\n", range.count,
                      kMostBase64Bytes);
        return -1;
    }
    WriteBase64(buffer.Bytes() + range.start, range.count, text);
    return 0;
}
