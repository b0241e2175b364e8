// @BMEMCMP: compares two ranges of one or two buffers as unsigned bytes.
#include <cstring>

#include "content/content_arguments.h"
#include "frame/feature_exports.h"
#include "frame/plugin_state.h"
#include "text/format.h"

KV_EXPORT int KV_API f_bmemcmp(HostChar* argument) {
    char16_t* text = nullptr;
    ComparedRanges ranges;
    if (const int stop = BeginCompareFunction(argument, &text, &ranges); stop != 0) return stop;
    // memcmp compares as unsigned bytes.
    const int order = ranges.size == 0 ? 0 : std::memcmp(ranges.first, ranges.second, ranges.size);
    text::Format(text, kTextCapacity, u"%d", order < 0 ? -1 : order > 0 ? 1 : 0);
    return 0;
}
