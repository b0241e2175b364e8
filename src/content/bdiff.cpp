// @BDIFF: where two ranges of one or two buffers first differ.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "content/content_arguments.h"
#include "frame/feature_exports.h"
#include "frame/plugin_state.h"
#include "text/format.h"

namespace {

// memcmp, the C library's vectorised compare, passes over the equal pieces; only the piece that
// holds the first difference is read byte by byte. Equal ranges then cost what @BMEMCMP costs,
// and a piece is small enough that reading one byte by byte takes microseconds.
constexpr size_t kPieceBytes = 16 * 1024;

// The offset of the first byte that differs, or `size` when the ranges are equal.
size_t FirstDifference(const uint8_t* first, const uint8_t* second, size_t size) {
    size_t at = 0;
    while (at < size) {
        const size_t piece = std::min(kPieceBytes, size - at);
        if (std::memcmp(first + at, second + at, piece) != 0) break;
        at += piece;
    }
    while (at < size && first[at] == second[at]) ++at;
    return at;
}

} // namespace

KV_EXPORT int KV_API f_bdiff(HostChar* argument) {
    char16_t* text = nullptr;
    ComparedRanges ranges;
    if (const int stop = BeginCompareFunction(argument, &text, &ranges); stop != 0) return stop;
    const size_t at = FirstDifference(ranges.first, ranges.second, ranges.size);
    if (at == ranges.size)
        text::Format(text, kTextCapacity, u"-1");
    else
        text::Format(text, kTextCapacity, u"%u", static_cast<uint32_t>(at));
    return 0;
}
