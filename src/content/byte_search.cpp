// The search tests the first and the last byte of the pattern at sixteen places at once (SSE2),
// and compares the rest only where both match: on data that is not made of the pattern's own
// bytes, that rules out nearly every place at the cost of two loads and compares.
#include "content/byte_search.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool Matches(const uint8_t* at, const BytePattern& pattern) {
    if (pattern.folds == nullptr) return std::memcmp(at, pattern.bytes, pattern.length) == 0;
    for (size_t i = 0; i < pattern.length; ++i) {
        const uint8_t fold = pattern.folds[i] ? 0x20 : 0;
        if ((at[i] | fold) != (pattern.bytes[i] | fold)) return false;
    }
    return true;
}

uint8_t FoldBit(const BytePattern& pattern, size_t i) {
    return pattern.folds != nullptr && pattern.folds[i] ? 0x20 : 0;
}

#if defined(__SSE2__)

// Which of the 16 places from `at` have the pattern's first and last byte.
struct EndsTest {
    __m128i first, firstFold, last, lastFold;

    explicit EndsTest(const BytePattern& pattern) {
        const size_t end = pattern.length - 1;
        firstFold = _mm_set1_epi8(static_cast<char>(FoldBit(pattern, 0)));
        lastFold = _mm_set1_epi8(static_cast<char>(FoldBit(pattern, end)));
        first = _mm_set1_epi8(static_cast<char>(pattern.bytes[0] | FoldBit(pattern, 0)));
        last = _mm_set1_epi8(static_cast<char>(pattern.bytes[end] | FoldBit(pattern, end)));
    }
    unsigned Places(const uint8_t* at, size_t end) const {
        const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + end));
        const __m128i both = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(heads, firstFold), first),
                                           _mm_cmpeq_epi8(_mm_or_si128(tails, lastFold), last));
        return static_cast<unsigned>(_mm_movemask_epi8(both));
    }
};

#endif

} // namespace

int64_t FindFirst(const uint8_t* bytes, size_t size, size_t from, const BytePattern& pattern) {
    if (pattern.length == 0 || pattern.length > size) return -1;
    const size_t lastStart = size - pattern.length;
    size_t at = from;
#if defined(__SSE2__)
    const EndsTest test(pattern);
    const size_t end = pattern.length - 1;
    // Blocks of 16 places whose loads stay inside the bytes.
    for (; at + 15 <= lastStart; at += 16) {
        for (unsigned places = test.Places(bytes + at, end); places != 0; places &= places - 1) {
            const size_t place = at + static_cast<size_t>(__builtin_ctz(places));
            if (Matches(bytes + place, pattern)) return static_cast<int64_t>(place);
        }
    }
#endif
    for (; at <= lastStart; ++at)
        if (Matches(bytes + at, pattern)) return static_cast<int64_t>(at);
    return -1;
}

int64_t FindLast(const uint8_t* bytes, size_t size, size_t from, const BytePattern& pattern) {
    if (pattern.length == 0 || pattern.length > size) return -1;
    // `next` is one past the place still to be tried.
    size_t next = (from < size - pattern.length ? from : size - pattern.length) + 1;
#if defined(__SSE2__)
    const EndsTest test(pattern);
    const size_t end = pattern.length - 1;
    for (; next >= 16; next -= 16) {
        const size_t at = next - 16;
        for (unsigned places = test.Places(bytes + at, end); places != 0;) {
            const int highest = 31 - __builtin_clz(places);
            const size_t place = at + static_cast<size_t>(highest);
            if (Matches(bytes + place, pattern)) return static_cast<int64_t>(place);
            places &= ~(1u << highest);
        }
    }
#endif
    for (; next > 0; --next)
        if (Matches(bytes + next - 1, pattern)) return static_cast<int64_t>(next - 1);
    return -1;
}
