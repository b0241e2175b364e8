// ComputeDigest as a digest of one piece, the same in both backends (sys.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "sys/sys.h"

namespace sys {

inline size_t DigestOfOnePiece(DigestAlgorithm algorithm, const void* bytes, size_t size,
                               uint8_t* out) {
    if (out == nullptr || (bytes == nullptr && size != 0)) return 0;
    const Digest digest = BeginDigest(algorithm);
    if (digest == nullptr) return 0;
    if (!AddToDigest(digest, bytes, size)) {
        EndDigest(digest, nullptr);
        return 0;
    }
    return EndDigest(digest, out);
}

} // namespace sys
