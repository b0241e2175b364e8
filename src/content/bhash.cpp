// @BHASH: the digest of a range of a buffer, in lower-case hexadecimal as sha256sum shows it.
#include "content/content_arguments.h"
#include "content/crc32.h"
#include "content/digest_kinds.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"

namespace {

enum Arg { kHandle, kAlgorithm, kStart, kLength };

} // namespace

KV_EXPORT int KV_API f_bhash(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &buffer);
        stop != 0)
        return stop;
    const DigestKind* kind = ReadDigestKind(kAlgorithm);
    if (kind == nullptr) return -1;
    ByteRange range;
    if (!ReadReadRange(kStart, kLength, buffer, &range)) return -1;

    const uint8_t* bytes = buffer.Bytes() + range.start;
    if (kind->crc32) {
        WriteCrc32Text(Crc32(bytes, range.count), text);
        return 0;
    }
    uint8_t digest[sys::kLargestDigest];
    // As when @BRANDFILL's generator cannot be had: a result no digest can be, no message.
    WriteDigestText(digest, sys::ComputeDigest(kind->algorithm, bytes, range.count, digest), text);
    return 0;
}
