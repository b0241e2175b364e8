// @BMEMCPY: copies a range from one buffer to another or within one buffer.
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

enum Arg { kSource, kSourceOffset, kDestination, kDestinationOffset, kSize };

} // namespace

KV_EXPORT int KV_API f_bmemcpy(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument from;
    if (const int stop =
            BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &from,
                                {u"Missing source bbuf\r\n", u"Bad source bbuf: \"%s\"\r\n"});
        stop != 0)
        return stop;
    const BufferAddress source = from.address;
    const uint32_t sourceSize = from.size;

    if (!ArgGiven(kSourceOffset)) return Refuse(u"Missing source offset\r\n");
    uint32_t sourceOffset = 0;
    if (ParseU32(ArgText(kSourceOffset), &sourceOffset) != 0)
        return RefuseArgument(u"Bad source offset: \"%s\"\r\n", kSourceOffset);

    BufferArgument to = from;
    if (!ReadBufferArgument(kDestination, false, {nullptr, u"Bad destination bbuf: \"%s\"\r\n"},
                            &to))
        return -1;
    const BufferAddress destination = to.address;
    const uint32_t destinationSize = to.size;

    if (!ArgGiven(kDestinationOffset)) return Refuse(u"Missing destination offset\r\n");
    uint32_t destinationOffset = 0;
    if (ParseU32(ArgText(kDestinationOffset), &destinationOffset) != 0)
        return RefuseArgument(u"Bad destination offset: \"%s\"\r\n", kDestinationOffset);

    if (!ArgGiven(kSize)) return Refuse(u"Missing size\r\n");
    uint32_t size = 0;
    if (ParseU32(ArgText(kSize), &size) != 0) return RefuseArgument(u"Bad size: \"%s\"\r\n", kSize);

    if (!RangeFits(sourceOffset, size, sourceSize))
        return RefuseRange(u"Read past end of source buffer:\r\n",
                           u"   Source offset = %q   Size = %q   Source buffer size = %q\r\n",
                           sourceOffset, size, sourceSize);
    if (!RangeFits(destinationOffset, size, destinationSize))
        return RefuseRange(
            u"Write past end of destination buffer:\r\n",
            u"   Destination offset = %q   Size = %q   Destination buffer size = %q\r\n",
            destinationOffset, size, destinationSize);

    // Within one buffer a range copied onto itself moves nothing.
    uint32_t copied = size;
    if (destination == source && destinationOffset == sourceOffset) copied = 0;
    // memmove gives an overlapping destination the source bytes as they were before the copy,
    // and needs no temporary block that could be missing.
    if (copied != 0)
        std::memmove(BufferAt(destination) + destinationOffset, BufferAt(source) + sourceOffset,
                     copied);
    text::Format(text, kTextCapacity, u"%I64u", uint64_t{copied});
    return 0;
}
