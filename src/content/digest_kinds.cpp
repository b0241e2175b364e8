#include "content/digest_kinds.h"

#include "content/hex_digits.h"
#include "frame/args.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "text/format.h"
#include "text/u16.h"

namespace {

constexpr DigestKind kDigestKinds[] = {
    {u"crc32", true, sys::DigestAlgorithm::Md5},
    {u"md5", false, sys::DigestAlgorithm::Md5},
    {u"sha1", false, sys::DigestAlgorithm::Sha1},
    {u"sha256", false, sys::DigestAlgorithm::Sha256},
    {u"sha384", false, sys::DigestAlgorithm::Sha384},
    {u"sha512", false, sys::DigestAlgorithm::Sha512},
};

} // namespace

const DigestKind* ReadDigestKind(int index) {
    if (!ArgGiven(index)) {
        Fail(u"Missing algorithm\r\n");
        return nullptr;
    }
    for (const DigestKind& kind : kDigestKinds)
        if (text::EqualNoCase(kind.name, ArgText(index))) return &kind;
    FailArgument(u"Unknown algorithm: \"%s\"\r\n", index);
    return nullptr;
}

void WriteCrc32Text(uint32_t crc, char16_t* result) {
    text::Format(result, kTextCapacity, u"%08x", crc);
}

void WriteDigestText(const uint8_t* digest, size_t length, char16_t* result) {
    if (length == 0)
        text::Format(result, kTextCapacity, u"0");
    else
        WriteLowerHexDigits(digest, length, result);
}
