// Message digests by OpenSSL's libcrypto, the system's own implementation on Linux.
#include <openssl/evp.h>

#include "sys/digest_at_once.h"
#include "sys/sys.h"

namespace sys {
namespace {

const EVP_MD* KindOf(DigestAlgorithm algorithm) {
    switch (algorithm) {
    case DigestAlgorithm::Md5:
        return EVP_md5();
    case DigestAlgorithm::Sha1:
        return EVP_sha1();
    case DigestAlgorithm::Sha256:
        return EVP_sha256();
    case DigestAlgorithm::Sha384:
        return EVP_sha384();
    case DigestAlgorithm::Sha512:
        return EVP_sha512();
    }
    return nullptr;
}

} // namespace

Digest BeginDigest(DigestAlgorithm algorithm) {
    const EVP_MD* kind = KindOf(algorithm);
    if (kind == nullptr) return nullptr;
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    if (context != nullptr && EVP_DigestInit_ex(context, kind, nullptr) == 1) return context;
    EVP_MD_CTX_free(context);
    return nullptr;
}

bool AddToDigest(Digest digest, const void* bytes, size_t size) {
    if (digest == nullptr || (bytes == nullptr && size != 0)) return false;
    return size == 0 || EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(digest), bytes, size) == 1;
}

size_t EndDigest(Digest digest, uint8_t* out) {
    auto* context = static_cast<EVP_MD_CTX*>(digest);
    if (context == nullptr) return 0;
    unsigned int length = 0;
    // The digest's length is known before it is written, so that a longer one never overruns.
    const int size = EVP_MD_CTX_size(context);
    const bool fits = size > 0 && static_cast<size_t>(size) <= kLargestDigest;
    const bool done = out != nullptr && fits && EVP_DigestFinal_ex(context, out, &length) == 1;
    EVP_MD_CTX_free(context);
    return done ? length : 0;
}

size_t ComputeDigest(DigestAlgorithm algorithm, const void* bytes, size_t size, uint8_t* out) {
    return DigestOfOnePiece(algorithm, bytes, size, out);
}

} // namespace sys
