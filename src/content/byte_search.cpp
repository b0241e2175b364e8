// Two searches. The quick one tests the first and the last byte of the pattern at sixteen places
// at once (SSE2) and compares the rest only where both match: on data that is not made of the
// pattern's own bytes, that rules out nearly every place at the cost of two loads and compares.
// On data that is (a buffer of "a" searched for "aaa...ab"), every place passes that test and is
// compared in full; once the compares have cost more than the bytes passed over, the search goes
// on by Knuth, Morris and Pratt's method, which looks at each byte a bounded number of times
// whatever the data, so that no search of a large buffer takes minutes.
#include "content/byte_search.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Compares allowed beyond one for every place passed over, before the quick search gives way.
constexpr size_t kCompareSlack = 1024;

bool IsAsciiLetter(uint32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Which bytes of the pattern match in either case (see BytePattern); one search at a time.
bool foldAt[kMostPatternBytes];

const bool* MarkFolds(const BytePattern& pattern) {
    if (!pattern.anyCase) return nullptr;
    for (size_t i = 0; i < pattern.length; ++i)
        foldAt[i] = IsAsciiLetter(pattern.bytes[i]) &&
                    (!pattern.wide || (i % 2 == 0 && pattern.bytes[i + 1] == 0));
    return foldAt;
}

bool Matches(const uint8_t* at, const BytePattern& pattern, const bool* folds) {
    if (folds == nullptr) return std::memcmp(at, pattern.bytes, pattern.length) == 0;
    for (size_t i = 0; i < pattern.length; ++i) {
        const uint8_t fold = folds[i] ? 0x20 : 0;
        if ((at[i] | fold) != (pattern.bytes[i] | fold)) return false;
    }
    return true;
}

// ---- The linear search ------------------------------------------------------------------

// What the linear search compares: bytes, or 16-bit little-endian units from the first byte,
// with ASCII letters in lower case when the case does not count. Read from the end when
// `reversed`, so that a forward search of it is a backward search of the bytes.
struct Symbols {
    const uint8_t* bytes;
    size_t count; // symbols
    bool wide;
    bool anyCase;
    bool reversed;

    uint32_t At(size_t i) const {
        const size_t k = reversed ? count - 1 - i : i;
        uint32_t c = wide ? uint32_t{bytes[2 * k]} | uint32_t{bytes[2 * k + 1]} << 8 : bytes[k];
        if (anyCase && c >= 'A' && c <= 'Z') c += 'a' - 'A';
        return c;
    }
};

// For each prefix of the pattern, the length of its longest proper border; one search at a time.
uint32_t borders[kMostPatternBytes];

// The first symbol at or after `from` where the pattern's symbols begin, or -1.
int64_t FirstBorderMatch(const Symbols& text, const Symbols& pattern, size_t from) {
    const size_t m = pattern.count;
    if (m == 0 || text.count < m || from > text.count - m) return -1;
    borders[0] = 0;
    for (size_t q = 1, k = 0; q < m; ++q) {
        while (k > 0 && pattern.At(q) != pattern.At(k)) k = borders[k - 1];
        if (pattern.At(q) == pattern.At(k)) ++k;
        borders[q] = static_cast<uint32_t>(k);
    }
    for (size_t j = from, q = 0; j < text.count; ++j) {
        const uint32_t c = text.At(j);
        while (q > 0 && c != pattern.At(q)) q = borders[q - 1];
        if (c == pattern.At(q)) ++q;
        if (q == m) return static_cast<int64_t>(j + 1 - m);
    }
    return -1;
}

// The pattern's place nearest to `from` in the search's direction, or -1, by the linear search.
// A pattern of units matches at odd places too: the units from either byte are searched.
int64_t FindLinear(const uint8_t* bytes, size_t size, size_t from, const BytePattern& pattern,
                   bool backwards) {
    const size_t width = pattern.wide ? 2 : 1;
    const Symbols wanted{pattern.bytes, pattern.length / width, pattern.wide, pattern.anyCase,
                         backwards};
    int64_t best = -1;
    for (size_t phase = 0; phase < width && phase < size; ++phase) {
        const Symbols text{bytes + phase, (size - phase) / width, pattern.wide, pattern.anyCase,
                           backwards};
        if (text.count < wanted.count) continue;
        // The symbol of the place `from`, or the next one in the direction of the search.
        size_t symbol = 0;
        if (!backwards) {
            symbol = from <= phase ? 0 : (from - phase + width - 1) / width;
        } else {
            if (from < phase) continue;
            size_t last = (from - phase) / width;
            if (last > text.count - wanted.count) last = text.count - wanted.count;
            symbol = text.count - wanted.count - last; // counted from the end
        }
        const int64_t found = FirstBorderMatch(text, wanted, symbol);
        if (found < 0) continue;
        const size_t start = backwards ? text.count - wanted.count - static_cast<size_t>(found)
                                       : static_cast<size_t>(found);
        const auto place = static_cast<int64_t>(phase + start * width);
        if (best < 0 || (backwards ? place > best : place < best)) best = place;
    }
    return best;
}

// ---- The quick search -------------------------------------------------------------------

#if defined(__SSE2__)

// Which of the 16 places from `at` have the pattern's first and last byte.
struct EndsTest {
    __m128i first, firstFold, last, lastFold;

    EndsTest(const BytePattern& pattern, const bool* folds) {
        const size_t end = pattern.length - 1;
        const uint8_t headFold = folds != nullptr && folds[0] ? 0x20 : 0;
        const uint8_t tailFold = folds != nullptr && folds[end] ? 0x20 : 0;
        firstFold = _mm_set1_epi8(static_cast<char>(headFold));
        lastFold = _mm_set1_epi8(static_cast<char>(tailFold));
        first = _mm_set1_epi8(static_cast<char>(pattern.bytes[0] | headFold));
        last = _mm_set1_epi8(static_cast<char>(pattern.bytes[end] | tailFold));
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

// The compares the quick search made, against what it may make before it gives way.
struct CompareBudget {
    size_t from;
    size_t spent = 0;

    bool Exceeded(size_t at, size_t length) {
        spent += length;
        const size_t passed = at > from ? at - from : from - at;
        return spent > passed + kCompareSlack;
    }
};

} // namespace

int64_t FindFirst(const uint8_t* bytes, size_t size, size_t from, const BytePattern& pattern) {
    if (pattern.length == 0 || pattern.length > size) return -1;
    const size_t lastStart = size - pattern.length;
    const bool* folds = MarkFolds(pattern);
    CompareBudget budget{from};
    size_t at = from;
#if defined(__SSE2__)
    const EndsTest test(pattern, folds);
    const size_t end = pattern.length - 1;
    // Blocks of 16 places whose loads stay inside the bytes.
    for (; at + 15 <= lastStart; at += 16) {
        for (unsigned places = test.Places(bytes + at, end); places != 0; places &= places - 1) {
            const size_t place = at + static_cast<size_t>(__builtin_ctz(places));
            if (Matches(bytes + place, pattern, folds)) return static_cast<int64_t>(place);
            if (budget.Exceeded(place, pattern.length))
                return FindLinear(bytes, size, place + 1, pattern, false);
        }
    }
#endif
    for (; at <= lastStart; ++at) {
        if (Matches(bytes + at, pattern, folds)) return static_cast<int64_t>(at);
        if (budget.Exceeded(at, pattern.length))
            return FindLinear(bytes, size, at + 1, pattern, false);
    }
    return -1;
}

int64_t FindLast(const uint8_t* bytes, size_t size, size_t from, const BytePattern& pattern) {
    if (pattern.length == 0 || pattern.length > size) return -1;
    const bool* folds = MarkFolds(pattern);
    // `next` is one past the place still to be tried.
    size_t next = (from < size - pattern.length ? from : size - pattern.length) + 1;
    CompareBudget budget{next};
#if defined(__SSE2__)
    const EndsTest test(pattern, folds);
    const size_t end = pattern.length - 1;
    for (; next >= 16; next -= 16) {
        const size_t at = next - 16;
        for (unsigned places = test.Places(bytes + at, end); places != 0;) {
            const int highest = 31 - __builtin_clz(places);
            const size_t place = at + static_cast<size_t>(highest);
            if (Matches(bytes + place, pattern, folds)) return static_cast<int64_t>(place);
            if (budget.Exceeded(place, pattern.length))
                return place == 0 ? -1 : FindLinear(bytes, size, place - 1, pattern, true);
            places &= ~(1u << highest);
        }
    }
#endif
    for (; next > 0; --next) {
        if (Matches(bytes + next - 1, pattern, folds)) return static_cast<int64_t>(next - 1);
        if (budget.Exceeded(next - 1, pattern.length))
            return next == 1 ? -1 : FindLinear(bytes, size, next - 2, pattern, true);
    }
    return -1;
}
