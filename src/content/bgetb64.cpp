// @BGETB64: a range of a buffer as base64 text.
#include "content/base64_text.h"
#include "content/content_arguments.h"
#include "frame/feature_exports.h"

namespace {

// Whole groups of three bytes, four characters each, and the terminator must fit in the result:
// a multiple of 3, so that the texts of consecutive ranges of that size join into one text.
constexpr uint32_t kMostBase64Bytes = (kTextCapacity - 1) / 4 * 3;
static_assert(Base64Length(kMostBase64Bytes) < kTextCapacity);

} // namespace

KV_EXPORT int KV_API f_bgetb64(HostChar* argument) {
    return GiveRangeAsText(argument, kMostBase64Bytes, u"base64", WriteBase64);
}
