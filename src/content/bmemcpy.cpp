// @BMEMCPY: copies a range from one buffer to another or within one buffer.
#include <cstring>

#include "content/content_arguments.h"
#include "content/content_exports.h"
#include "content/range_check.h"
#include "frame/args.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "frame/text/format.h"
#include "store/store_exports.h"

namespace {

enum Arg { kSource, kSourceOffset, kDestination, kDestinationOffset, kSize };

} // namespace

KV_EXPORT int KV_API f_bmemcpy(HostChar* argument) {
    if (argument == nullptr) return kNoArgumentText;
    char16_t* text = FromHost(argument);
    if (SplitArguments(ArgCommas | ArgUpperCase, text) < 0) return -1;

    if (!ArgGiven(kSource)) {
        ReportMessage(u"Missing source bbuf\r\n");
        return -1;
    }
    uint32_t sourceSize = 0;
    const BufferAddress source = ParseBufferHandle(ArgText(kSource), &sourceSize);
    if (source == 0) return RefuseArgument(u"Bad source bbuf: \"%s\"\r\n", kSource);

    if (!ArgGiven(kSourceOffset)) {
        ReportMessage(u"Missing source offset\r\n");
        return -1;
    }
    uint32_t sourceOffset = 0;
    if (ParseU32(ArgText(kSourceOffset), &sourceOffset) != 0)
        return RefuseArgument(u"Bad source offset: \"%s\"\r\n", kSourceOffset);

    BufferAddress destination = source;
    uint32_t destinationSize = sourceSize;
    if (ArgGiven(kDestination)) {
        destination = ParseBufferHandle(ArgText(kDestination), &destinationSize);
        if (destination == 0)
            return RefuseArgument(u"Bad destination bbuf: \"%s\"\r\n", kDestination);
    }

    if (!ArgGiven(kDestinationOffset)) {
        ReportMessage(u"Missing destination offset\r\n");
        return -1;
    }
    uint32_t destinationOffset = 0;
    if (ParseU32(ArgText(kDestinationOffset), &destinationOffset) != 0)
        return RefuseArgument(u"Bad destination offset: \"%s\"\r\n", kDestinationOffset);

    if (!ArgGiven(kSize)) {
        ReportMessage(u"Missing size\r\n");
        return -1;
    }
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
