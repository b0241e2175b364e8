// Message digests by CNG (BCrypt), the system's own implementation.
#include "sys/digest_at_once.h"
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

// A digest in progress: the provider stays open as long as its hash object.
struct OpenDigest {
    BCRYPT_ALG_HANDLE provider;
    BCRYPT_HASH_HANDLE hash;
    DWORD length;
};

// Opens the provider, learns the digest's length and makes the hash object into `digest`.
bool Open(const wchar_t* name, OpenDigest* digest) {
    if (!Succeeded(BCryptOpenAlgorithmProvider(&digest->provider, name, nullptr, 0))) return false;
    ULONG got = 0;
    // Since Windows 7 CNG keeps the hash object itself when it is given no memory for it.
    return Succeeded(BCryptGetProperty(digest->provider, BCRYPT_HASH_LENGTH,
                                       reinterpret_cast<PUCHAR>(&digest->length),
                                       sizeof digest->length, &got, 0)) &&
           digest->length != 0 && digest->length <= kLargestDigest &&
           Succeeded(BCryptCreateHash(digest->provider, &digest->hash, nullptr, 0, nullptr, 0, 0));
}

void Close(OpenDigest* digest) {
    if (digest->hash != nullptr) BCryptDestroyHash(digest->hash);
    if (digest->provider != nullptr) BCryptCloseAlgorithmProvider(digest->provider, 0);
    HeapFree(GetProcessHeap(), 0, digest);
}

} // namespace

Digest BeginDigest(DigestAlgorithm algorithm) {
    const wchar_t* name = AlgorithmName(algorithm);
    if (name == nullptr) return nullptr;
    auto* digest =
        static_cast<OpenDigest*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(OpenDigest)));
    if (digest == nullptr) return nullptr;
    if (Open(name, digest)) return digest;
    Close(digest);
    return nullptr;
}

bool AddToDigest(Digest digest, const void* bytes, size_t size) {
    auto* open = static_cast<OpenDigest*>(digest);
    if (open == nullptr || (bytes == nullptr && size != 0)) return false;
    // BCryptHashData takes at most 4 GiB - 1 bytes a call.
    const auto* at = static_cast<const uint8_t*>(bytes);
    for (size_t left = size; left > 0;) {
        const ULONG piece = left > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<ULONG>(left);
        if (!Succeeded(BCryptHashData(open->hash, const_cast<PUCHAR>(at), piece, 0))) return false;
        at += piece;
        left -= piece;
    }
    return true;
}

size_t EndDigest(Digest digest, uint8_t* out) {
    auto* open = static_cast<OpenDigest*>(digest);
    if (open == nullptr) return 0;
    const size_t length = open->length;
    const bool done =
        out != nullptr && Succeeded(BCryptFinishHash(open->hash, out, open->length, 0));
    Close(open);
    return done ? length : 0;
}

size_t ComputeDigest(DigestAlgorithm algorithm, const void* bytes, size_t size, uint8_t* out) {
    return DigestOfOnePiece(algorithm, bytes, size, out);
}

} // namespace sys
