// Two ways to the same CRC-32. Tables take eight bytes a step ("slicing by eight"), which any
// processor runs. Where the processor multiplies without carries (PCLMULQDQ, found at run time:
// the DLLs are built for SSE2 alone), four 16-byte lanes of the message are folded forward 64
// bytes at a time, then into one lane, and a Barrett reduction gives the remainder: several
// times faster, so that a digest of a file is held up by reading it, not by the sum.
#include "content/crc32.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#include <wmmintrin.h> // used only where the processor is found to have PCLMULQDQ
#endif

namespace {

struct Tables {
    uint32_t t[8][256];

    constexpr Tables() : t{} {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][n] = c;
        }
        for (uint32_t n = 0; n < 256; ++n)
            for (int k = 1; k < 8; ++k) t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
    }
};

constexpr Tables kTables;

// The register after the bytes, without the inversions at the start and the end.
uint32_t SliceRegister(uint32_t crc, const uint8_t* bytes, size_t size) {
    const auto& t = kTables.t;
    for (; size >= 8; bytes += 8, size -= 8) {
        const uint32_t low = crc ^ (uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 |
                                    uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
              t[4][low >> 24] ^ t[3][bytes[4]] ^ t[2][bytes[5]] ^ t[1][bytes[6]] ^ t[0][bytes[7]];
    }
    for (; size > 0; ++bytes, --size) crc = t[0][(crc ^ *bytes) & 0xFF] ^ (crc >> 8);
    return crc;
}

#if defined(__SSE2__)

// Folding needs four lanes to start with.
constexpr size_t kFoldMinimum = 64;

// The constants of the reflected polynomial, each shifted left by one as reflection needs:
// x^(4*128+32) and x^(4*128-32) mod P fold a lane 64 bytes on, x^(128+32) and x^(128-32) mod P
// 16 bytes on; x^64 mod P takes 64 bits to 32; mu = x^64 / P and P itself reduce.
constexpr long long kFold64Low = 0x154442bd4, kFold64High = 0x1c6e41596;
constexpr long long kFold16Low = 0x1751997d0, kFold16High = 0xccaa009e;
constexpr long long kFoldTo32 = 0x163cd6124;
constexpr long long kPolynomial = 0x1db710641, kMu = 0x1f7011641;

[[gnu::target("sse2,pclmul")]] __m128i FoldInto(__m128i lane, __m128i constants, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(lane, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(lane, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

[[gnu::target("sse2,pclmul")]] __m128i Load(const uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// The register after `blocks` 16-byte blocks (at least four), as SliceRegister gives it.
[[gnu::target("sse2,pclmul")]] uint32_t FoldRegister(uint32_t crc, const uint8_t* at,
                                                     size_t blocks) {
    __m128i x0 = _mm_xor_si128(Load(at), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x1 = Load(at + 16), x2 = Load(at + 32), x3 = Load(at + 48);
    at += 64;
    blocks -= 4;
    const __m128i by64 = _mm_set_epi64x(kFold64High, kFold64Low);
    for (; blocks >= 4; at += 64, blocks -= 4) {
        x0 = FoldInto(x0, by64, Load(at));
        x1 = FoldInto(x1, by64, Load(at + 16));
        x2 = FoldInto(x2, by64, Load(at + 32));
        x3 = FoldInto(x3, by64, Load(at + 48));
    }
    const __m128i by16 = _mm_set_epi64x(kFold16High, kFold16Low);
    x0 = FoldInto(x0, by16, x1);
    x0 = FoldInto(x0, by16, x2);
    x0 = FoldInto(x0, by16, x3);
    for (; blocks > 0; at += 16, --blocks) x0 = FoldInto(x0, by16, Load(at));

    // 128 bits to 64: the low half times x^(128-32), added to the high half; then 64 to 32 with
    // 32 zero bits appended, as the remainder needs.
    const __m128i low32 = _mm_set_epi32(0, 0, 0, -1);
    x0 = _mm_xor_si128(_mm_srli_si128(x0, 8), _mm_clmulepi64_si128(x0, by16, 0x10));
    x0 = _mm_xor_si128(
        _mm_srli_si128(x0, 4),
        _mm_clmulepi64_si128(_mm_and_si128(x0, low32), _mm_set_epi64x(0, kFoldTo32), 0x00));
    // Barrett: the quotient's estimate from mu, times P, leaves the remainder in bits 32 to 63.
    const __m128i reduce = _mm_set_epi64x(kMu, kPolynomial);
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x0, low32), reduce, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), reduce, 0x00);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(_mm_xor_si128(x0, t), 4)));
}

#endif

} // namespace

uint32_t Crc32BySlices(const uint8_t* bytes, size_t size, uint32_t before) {
    return ~SliceRegister(~before, bytes, size);
}

bool CanFoldCrc32() {
#if defined(__SSE2__)
    return __builtin_cpu_supports("pclmul");
#else
    return false;
#endif
}

uint32_t Crc32ByFolding(const uint8_t* bytes, size_t size, uint32_t before) {
#if defined(__SSE2__)
    if (size >= kFoldMinimum) {
        const size_t blocks = size / 16;
        const uint32_t crc = FoldRegister(~before, bytes, blocks);
        return ~SliceRegister(crc, bytes + blocks * 16, size - blocks * 16);
    }
#endif
    return Crc32BySlices(bytes, size, before);
}

uint32_t Crc32(const uint8_t* bytes, size_t size, uint32_t before) {
    return CanFoldCrc32() ? Crc32ByFolding(bytes, size, before)
                          : Crc32BySlices(bytes, size, before);
}
