// @BGETHEX: a range of a buffer as hexadecimal digits.
#include "content/content_arguments.h"
#include "content/hex_digits.h"
#include "frame/feature_exports.h"

namespace {

// Two digits a byte and the terminator must fit in the result.
constexpr uint32_t kMostHexBytes = (kTextCapacity - 1) / 2;

} // namespace

KV_EXPORT int KV_API f_bgethex(HostChar* argument) {
    return GiveRangeAsText(argument, kMostHexBytes, u"hex", WriteHexDigits);
}
