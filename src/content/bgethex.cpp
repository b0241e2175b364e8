// @BGETHEX: a range of a buffer as hexadecimal digits.
#include "content/content_arguments.h"
#include "content/hex_digits.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/report.h"

namespace {

enum Arg { kHandle, kStart, kLength };

// Two digits a byte and the terminator must fit in the result.
constexpr uint32_t kMostHexBytes = (kTextCapacity - 1) / 2;

} // namespace

KV_EXPORT int KV_API f_bgethex(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &buffer);
        stop != 0)
        return stop;
    ByteRange range;
    if (!ReadReadRange(kStart, kLength, buffer, &range)) return -1;
    // Never a text cut short: a batch file could not tell it from the whole.
    if (range.count > kMostHexBytes) {
        ReportMessage(u"Range too long for hex text: %u bytes > %u\r\n", range.count,
                      kMostHexBytes);
        return -1;
    }
    WriteHexDigits(buffer.Bytes() + range.start, range.count, text);
    return 0;
}
