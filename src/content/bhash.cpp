// @BHASH: the digest of a range of a buffer, in lower-case hexadecimal as sha256sum shows it.
#include "content/content_arguments.h"
#include "content/crc32.h"
#include "content/hex_digits.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "text/format.h"
#include "text/u16.h"

namespace {

enum Arg { kHandle, kAlgorithm, kStart, kLength };

// CRC-32 is the plug-in's own; the others are the system's (sys::ComputeDigest).
struct Algorithm {
    const char16_t* name;
    bool crc32;
    sys::DigestAlgorithm digest;
};
constexpr Algorithm kAlgorithms[] = {
    {u"crc32", true, sys::DigestAlgorithm::Md5},
    {u"md5", false, sys::DigestAlgorithm::Md5},
    {u"sha1", false, sys::DigestAlgorithm::Sha1},
    {u"sha256", false, sys::DigestAlgorithm::Sha256},
    {u"sha384", false, sys::DigestAlgorithm::Sha384},
    {u"sha512", false, sys::DigestAlgorithm::Sha512},
};

} // namespace

KV_EXPORT int KV_API f_bhash(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &buffer);
        stop != 0)
        return stop;
    if (!ArgGiven(kAlgorithm)) return Refuse(u"Missing algorithm\r\n");
    const Algorithm* algorithm = nullptr;
    for (const Algorithm& known : kAlgorithms)
        if (text::EqualNoCase(known.name, ArgText(kAlgorithm))) algorithm = &known;
    if (algorithm == nullptr) return RefuseArgument(u"Unknown algorithm: \"%s\"\r\n", kAlgorithm);
    ByteRange range;
    if (!ReadReadRange(kStart, kLength, buffer, &range)) return -1;

    const uint8_t* bytes = buffer.Bytes() + range.start;
    if (algorithm->crc32) {
        text::Format(text, kTextCapacity, u"%08x", Crc32(bytes, range.count));
        return 0;
    }
    uint8_t digest[sys::kLargestDigest];
    const size_t length = sys::ComputeDigest(algorithm->digest, bytes, range.count, digest);
    // As when @BRANDFILL's generator cannot be had: a result no digest can be, no message.
    if (length == 0) {
        text::Format(text, kTextCapacity, u"0");
        return 0;
    }
    WriteLowerHexDigits(digest, length, text);
    return 0;
}
