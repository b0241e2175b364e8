// Message digests by OpenSSL's libcrypto, the system's own implementation on Linux.
#include <openssl/evp.h>

#include "sys/sys.h"

namespace sys {

size_t ComputeDigest(DigestAlgorithm algorithm, const void* bytes, size_t size, uint8_t* out) {
    const EVP_MD* kind = nullptr;
    switch (algorithm) {
    case DigestAlgorithm::Md5:
        kind = EVP_md5();
        break;
    case DigestAlgorithm::Sha1:
        kind = EVP_sha1();
        break;
    case DigestAlgorithm::Sha256:
        kind = EVP_sha256();
        break;
    case DigestAlgorithm::Sha384:
        kind = EVP_sha384();
        break;
    case DigestAlgorithm::Sha512:
        kind = EVP_sha512();
        break;
    }
    if (kind == nullptr || out == nullptr || (bytes == nullptr && size != 0)) return 0;
    unsigned int length = 0;
    static const uint8_t kNothing = 0;
    if (EVP_Digest(size == 0 ? &kNothing : bytes, size, out, &length, kind, nullptr) != 1) return 0;
    return length <= kLargestDigest ? length : 0;
}

} // namespace sys
