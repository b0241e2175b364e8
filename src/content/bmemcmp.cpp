// @BMEMCMP: compares two ranges of one or two buffers as unsigned bytes.
#include <cstring>

#include "content/content_arguments.h"
#include "content/range_check.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "text/format.h"

namespace {

enum Arg { kBuffer1, kOffset1, kBuffer2, kOffset2, kSize };

constexpr char16_t kRange1Heading[] = u"Read past end of buffer 1:\r\n";
constexpr char16_t kRange1Details[] = u"   Offset1 = %q   Size = %q   Buffer 1 size = %q\r\n";
constexpr char16_t kRange2Heading[] = u"Read past end of buffer 2:\r\n";
constexpr char16_t kRange2Details[] = u"   Offset2 = %q   Size = %q   Buffer 2 size = %q\r\n";

} // namespace

KV_EXPORT int KV_API f_bmemcmp(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument first;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &first,
                                             {u"Missing bbuf1\r\n", u"Bad bbuf1: \"%s\"\r\n"});
        stop != 0)
        return stop;
    const BufferAddress buffer1 = first.address;
    const uint32_t size1 = first.size;

    if (!ArgGiven(kOffset1)) return Refuse(u"Missing offset1\r\n");
    uint32_t offset1 = 0;
    if (ParseU32(ArgText(kOffset1), &offset1) != 0)
        return RefuseArgument(u"Bad offset1: \"%s\"\r\n", kOffset1);

    BufferArgument second = first;
    if (!ReadBufferArgument(kBuffer2, false, {nullptr, u"Bad bbuf2: \"%s\"\r\n"}, &second))
        return -1;
    const BufferAddress buffer2 = second.address;
    const uint32_t size2 = second.size;
    uint32_t offset2 = 0;
    if (!ReadOptionalU32(kOffset2, &offset2))
        return RefuseArgument(u"Bad offset2: \"%s\"\r\n", kOffset2);

    uint32_t size = 0;
    if (ArgGiven(kSize)) {
        if (ParseU32(ArgText(kSize), &size) != 0)
            return RefuseArgument(u"Bad size: \"%s\"\r\n", kSize);
    } else {
        // The rest of buffer 1; an offset beyond its end leaves no rest to take.
        if (offset1 > size1) return RefuseRange(kRange1Heading, kRange1Details, offset1, 0, size1);
        size = size1 - offset1;
    }

    if (!RangeFits(offset1, size, size1))
        return RefuseRange(kRange1Heading, kRange1Details, offset1, size, size1);
    if (!RangeFits(offset2, size, size2))
        return RefuseRange(kRange2Heading, kRange2Details, offset2, size, size2);

    // memcmp compares as unsigned bytes.
    const int order =
        size == 0 ? 0 : std::memcmp(BufferAt(buffer1) + offset1, BufferAt(buffer2) + offset2, size);
    text::Format(text, kTextCapacity, u"%d", order < 0 ? -1 : order > 0 ? 1 : 0);
    return 0;
}
