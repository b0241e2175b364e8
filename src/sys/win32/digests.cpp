// Message digests by CNG (BCrypt), the system's own implementation.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

// After windows.h, which it builds on.
#include <bcrypt.h>

namespace sys {
namespace {

const wchar_t* AlgorithmName(DigestAlgorithm algorithm) {
    switch (algorithm) {
    case DigestAlgorithm::Md5:
        return BCRYPT_MD5_ALGORITHM;
    case DigestAlgorithm::Sha1:
        return BCRYPT_SHA1_ALGORITHM;
    case DigestAlgorithm::Sha256:
        return BCRYPT_SHA256_ALGORITHM;
    case DigestAlgorithm::Sha384:
        return BCRYPT_SHA384_ALGORITHM;
    case DigestAlgorithm::Sha512:
        return BCRYPT_SHA512_ALGORITHM;
    }
    return nullptr;
}

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

// Hashes the bytes with an open provider; the digest's length, or 0.
size_t HashWith(BCRYPT_ALG_HANDLE provider, const void* bytes, size_t size, uint8_t* out) {
    DWORD length = 0;
    ULONG got = 0;
    if (!Succeeded(BCryptGetProperty(provider, BCRYPT_HASH_LENGTH,
                                     reinterpret_cast<PUCHAR>(&length), sizeof length, &got, 0)) ||
        length == 0 || length > kLargestDigest)
        return 0;
    // Since Windows 7 CNG keeps the hash object itself when it is given no memory for it.
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!Succeeded(BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0))) return 0;
    bool hashed = true;
    // BCryptHashData takes at most 4 GiB - 1 bytes a call.
    const auto* at = static_cast<const uint8_t*>(bytes);
    for (size_t left = size; left > 0 && hashed;) {
        const ULONG piece = left > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<ULONG>(left);
        hashed = Succeeded(BCryptHashData(hash, const_cast<PUCHAR>(at), piece, 0));
        at += piece;
        left -= piece;
    }
    hashed = hashed && Succeeded(BCryptFinishHash(hash, out, length, 0));
    BCryptDestroyHash(hash);
    return hashed ? length : 0;
}

} // namespace

size_t ComputeDigest(DigestAlgorithm algorithm, const void* bytes, size_t size, uint8_t* out) {
    const wchar_t* name = AlgorithmName(algorithm);
    BCRYPT_ALG_HANDLE provider = nullptr;
    if (name == nullptr || out == nullptr || (bytes == nullptr && size != 0) ||
        !Succeeded(BCryptOpenAlgorithmProvider(&provider, name, nullptr, 0)))
        return 0;
    const size_t length = HashWith(provider, bytes, size, out);
    BCryptCloseAlgorithmProvider(provider, 0);
    return length;
}

} // namespace sys
