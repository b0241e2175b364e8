// Null-terminated UTF-16 helpers and UTF-8 conversion.
#include "text/u16.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__) && !defined(KV_PORTABLE_TEXT_RUNS)
#define KV_VECTOR_TEXT_RUNS 1
#include <emmintrin.h>
#endif

// Where the processor is found to have AVX2, long output goes 32 units at a time. Not in the
// Windows builds: their output reaches the console as UTF-16, and their compiler does not align
// the stack for 32-byte values.
#if defined(KV_VECTOR_TEXT_RUNS) && !defined(_WIN32) && (defined(__x86_64__) || defined(__i386__))
#define KV_WIDE_TEXT_BLOCKS 1
#include <immintrin.h>
#endif

namespace text {

namespace {

// Four units a round: fewer loop branches for the lines of a long listing. No unit past the
// terminator is read.
size_t LengthByUnits(const char16_t* s) {
    size_t n = 0;
    for (;; n += 4) {
        if (s[n] == 0) return n;
        if (s[n + 1] == 0) return n + 1;
        if (s[n + 2] == 0) return n + 2;
        if (s[n + 3] == 0) return n + 3;
    }
}

#if defined(KV_VECTOR_TEXT_RUNS)
// Lengths are counted from aligned loads, which never reach into a page the text does not but
// may read bytes beside the text: the address sanitizer is told to let them.
#define KV_READS_BESIDE_TEXT __attribute__((no_sanitize("address")))

// Two mask bits for each zero unit of the 16 aligned bytes at `at`.
KV_READS_BESIDE_TEXT uint32_t ZeroUnits(const char* at) {
    const __m128i run = _mm_load_si128(reinterpret_cast<const __m128i*>(at));
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi16(run, _mm_setzero_si128())));
}

// Eight units a round, from the 16-byte boundary at or before the text, then sixteen.
KV_READS_BESIDE_TEXT size_t LengthByRuns(const char16_t* s) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(s);
    const char* block = reinterpret_cast<const char*>(start & ~uintptr_t{15});
    const __m128i zero = _mm_setzero_si128();
    auto lengthTo = [&](const char* at, uint32_t zeros) {
        return (reinterpret_cast<uintptr_t>(at) + std::countr_zero(zeros) - start) / 2;
    };
    // Two mask bits per unit; those of the bytes before the text are cleared.
    uint32_t zeros = ZeroUnits(block) & (0xFFFFu << (start & 15));
    if (zeros != 0) return lengthTo(block, zeros);
    block += 16;
    if ((reinterpret_cast<uintptr_t>(block) & 16) != 0) {
        if ((zeros = ZeroUnits(block)) != 0) return lengthTo(block, zeros);
        block += 16;
    }
    // Then 32 bytes a round from a 32-byte boundary, which a page boundary never splits.
    for (;; block += 32) {
        const __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(block));
        const __m128i high = _mm_load_si128(reinterpret_cast<const __m128i*>(block + 16));
        const __m128i either =
            _mm_or_si128(_mm_cmpeq_epi16(low, zero), _mm_cmpeq_epi16(high, zero));
        if (_mm_movemask_epi8(either) == 0) continue;
        if ((zeros = ZeroUnits(block)) != 0) return lengthTo(block, zeros);
        return lengthTo(block + 16, ZeroUnits(block + 16));
    }
}
#endif

#if defined(KV_WIDE_TEXT_BLOCKS)
// Two mask bits for each zero unit of the 64 aligned bytes at `at`.
[[gnu::target("avx2")]] KV_READS_BESIDE_TEXT inline uint64_t ZeroUnitsOf64(const char* at) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i low = _mm256_load_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i high = _mm256_load_si256(reinterpret_cast<const __m256i*>(at + 32));
    const uint32_t lowZeros =
        static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi16(low, zero)));
    const uint32_t highZeros =
        static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi16(high, zero)));
    return lowZeros | uint64_t{highZeros} << 32;
}

// 32 units a round from the 64-byte boundary at or before the text, which a page boundary never
// splits: a batch of listing lines is measured at the speed of its cache.
[[gnu::target("avx2")]] KV_READS_BESIDE_TEXT size_t LengthBy64(const char16_t* s) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(s);
    const char* block = reinterpret_cast<const char*>(start & ~uintptr_t{63});
    uint64_t zeros = ZeroUnitsOf64(block) & (~uint64_t{0} << (start & 63));
    while (zeros == 0) {
        block += 64;
        const __m256i low = _mm256_load_si256(reinterpret_cast<const __m256i*>(block));
        const __m256i high = _mm256_load_si256(reinterpret_cast<const __m256i*>(block + 32));
        const __m256i zero = _mm256_setzero_si256();
        const __m256i either =
            _mm256_or_si256(_mm256_cmpeq_epi16(low, zero), _mm256_cmpeq_epi16(high, zero));
        if (_mm256_movemask_epi8(either) != 0) zeros = ZeroUnitsOf64(block);
    }
    return (reinterpret_cast<uintptr_t>(block) + std::countr_zero(zeros) - start) / 2;
}
#endif

} // namespace

size_t Length(const char16_t* s) {
    if (s == nullptr) return 0;
#if defined(KV_WIDE_TEXT_BLOCKS)
    if ((reinterpret_cast<uintptr_t>(s) & 1) == 0 && __builtin_cpu_supports("avx2"))
        return LengthBy64(s);
#endif
#if defined(KV_VECTOR_TEXT_RUNS)
    if ((reinterpret_cast<uintptr_t>(s) & 1) == 0) return LengthByRuns(s);
#endif
    return LengthByUnits(s);
}

size_t CopyBounded(char16_t* out, size_t capacity, const char16_t* s) {
    if (capacity == 0) return 0;
    size_t n = 0;
    if (s != nullptr)
        while (n + 1 < capacity && s[n] != 0) {
            out[n] = s[n];
            ++n;
        }
    out[n] = 0;
    return n;
}

bool AppendBounded(char16_t* out, size_t capacity, const char16_t* s) {
    size_t used = 0;
    while (used < capacity && out[used] != 0) ++used;
    if (used >= capacity) return false;
    size_t wanted = Length(s);
    size_t copied = CopyBounded(out + used, capacity - used, s);
    return copied == wanted;
}

char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

bool EqualNoCase(const char16_t* a, const char16_t* b) {
    if (a == nullptr || b == nullptr) return a == b;
    return EqualNoCase(std::u16string_view(a), std::u16string_view(b));
}

bool StartsWithNoCase(const char16_t* s, std::u16string_view prefix) {
    if (s == nullptr) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (s[i] == 0 || AsciiLower(s[i]) != AsciiLower(prefix[i])) return false;
    return true;
}

Utf8Lead Utf8LeadOf(unsigned char byte) {
    if (byte < 0x80) return {0, 0, 0};
    if (byte >= 0xC2 && byte <= 0xDF) return {1, 0x80, 0xBF};
    if (byte == 0xE0) return {2, 0xA0, 0xBF}; // not overlong
    if (byte == 0xED) return {2, 0x80, 0x9F}; // not the surrogates
    if (byte >= 0xE1 && byte <= 0xEF) return {2, 0x80, 0xBF};
    if (byte == 0xF0) return {3, 0x90, 0xBF}; // not overlong
    if (byte == 0xF4) return {3, 0x80, 0x8F}; // not past U+10FFFF
    if (byte >= 0xF1 && byte <= 0xF3) return {3, 0x80, 0xBF};
    return {-1, 0, 0};
}

char32_t DecodeUtf8(const unsigned char* bytes, size_t count, size_t* taken) {
    constexpr char32_t kReplacement = 0xFFFD;
    const Utf8Lead lead = Utf8LeadOf(bytes[0]);
    *taken = 1;
    if (lead.continuations == 0) return bytes[0];
    if (lead.continuations < 0) return kReplacement;
    static const unsigned char kLeadBits[] = {0, 0x1F, 0x0F, 0x07};
    char32_t code = bytes[0] & kLeadBits[lead.continuations];
    for (int k = 0; k < lead.continuations; ++k, ++*taken) {
        // A sequence cut short, by the end or by a byte that cannot continue it, is one
        // replacement for the bytes it had; that byte begins the next character.
        if (*taken == count) return kReplacement;
        const unsigned char next = bytes[*taken];
        if (next < (k == 0 ? lead.low : 0x80) || next > (k == 0 ? lead.high : 0xBF))
            return kReplacement;
        code = code << 6 | (next & 0x3F);
    }
    return code;
}

std::u16string FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        size_t taken = 0;
        char32_t code = DecodeUtf8(bytes + i, utf8.size() - i, &taken);
        i += taken;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

namespace {

constexpr size_t kRun = 8;

// What a run of eight units needs: one byte each, at most two each, or more for some.
enum class RunKind { Ascii, Short, Other };

// The two bytes of a unit from 0x80 to 0x7FF, first byte low.
constexpr uint32_t TwoByteForm(uint32_t c) {
    return (0xC0 | (c >> 6)) | ((0x80 | (c & 0x3F)) << 8);
}

// At most two bits set.
constexpr bool AtMostTwo(uint32_t bits) {
    const uint32_t second = bits & (bits - 1);
    return (second & (second - 1)) == 0;
}

#if defined(KV_VECTOR_TEXT_RUNS)

// All ones in each lane whose unit is below `limit`, a power of two.
__m128i UnitsBelow(__m128i run, int limit) {
    const __m128i high = _mm_and_si128(run, _mm_set1_epi16(static_cast<short>(-limit)));
    return _mm_cmpeq_epi16(high, _mm_setzero_si128());
}

// A run is one 128-bit register: two masked compares classify it, one pack narrows it.
RunKind KindOfRun(const char16_t* units) {
    const __m128i run = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    auto allBelow = [&](int limit) { return _mm_movemask_epi8(UnitsBelow(run, limit)) == 0xFFFF; };
    return allBelow(0x80) ? RunKind::Ascii : allBelow(0x800) ? RunKind::Short : RunKind::Other;
}

void NarrowAsciiRun(const char16_t* units, char* out) {
    const __m128i run = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(run, run));
}

char* EncodeShortUnits(const char16_t* units, size_t count, char* at);

// A run of units below 0x800 with at most two of two bytes, as a text column of dots has: the
// run is narrowed at once and written in three ASCII stretches of eight-byte stores with the
// two-byte forms between them, without a branch on where they are. Stores past the run's end
// write bytes that the next run overwrites; none reaches past its three bytes per unit.
[[gnu::always_inline]] inline char* EncodeFewTwoByteUnits(const char16_t* units, uint64_t narrow,
                                                          uint32_t wide, char* at) {
    const uint32_t second = wide & (wide - 1);
    const uint32_t k1 = static_cast<uint32_t>(std::countr_zero(wide | 0x100)); // 8 for none
    const uint32_t k2 = static_cast<uint32_t>(std::countr_zero(second | 0x100));
    // The narrowed bytes after unit k (for k of 8 bytes that are not used).
    auto after = [&](uint32_t k) { return (narrow >> (8 * (k & 7))) >> 8; };
    auto store = [](char* to, auto value) { std::memcpy(to, &value, sizeof value); };
    store(at, narrow);
    store(at + k1, static_cast<uint16_t>(TwoByteForm(units[k1 & 7])));
    char* const afterFirst = at + k1 + 2;
    store(afterFirst, after(k1));
    char* const secondAt = at + k2 + 1; // past the first's extra byte
    store(secondAt, static_cast<uint16_t>(TwoByteForm(units[k2 & 7])));
    store(secondAt + 2, after(k2));
    return at + kRun + (wide != 0) + (second != 0);
}

// A run of units below 0x800: branch-free with up to two of two bytes, by table with more.
char* EncodeShortRun(const char16_t* units, char* at) {
    const __m128i run = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    const __m128i ascii = UnitsBelow(run, 0x80);
    const uint32_t wide =
        ~static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(ascii, ascii))) & 0xFF;
    if (!AtMostTwo(wide)) return EncodeShortUnits(units, kRun, at);
    uint64_t narrow = 0;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&narrow), _mm_packus_epi16(run, run));
    return EncodeFewTwoByteUnits(units, narrow, wide, at);
}

#else

// The units of a run ORed together, read as two 64-bit words.
RunKind KindOfRun(const char16_t* units) {
    uint64_t words[2];
    std::memcpy(words, units, sizeof words);
    const uint64_t any = words[0] | words[1];
    const uint32_t half = static_cast<uint32_t>(any | (any >> 32));
    const uint32_t bits = (half | (half >> 16)) & 0xFFFF;
    return bits < 0x80 ? RunKind::Ascii : bits < 0x800 ? RunKind::Short : RunKind::Other;
}

// On little-endian machines the units are narrowed as two 64-bit words.
void NarrowAsciiRun(const char16_t* units, char* out) {
    if constexpr (std::endian::native != std::endian::little) {
        for (size_t k = 0; k < kRun; ++k) out[k] = static_cast<char>(units[k]);
    } else {
        uint64_t low = 0;
        uint64_t high = 0;
        std::memcpy(&low, units, sizeof low);
        std::memcpy(&high, units + 4, sizeof high);
        auto narrow = [](uint64_t w) {
            w = (w | (w >> 8)) & 0x0000FFFF0000FFFFu;
            return (w | (w >> 16)) & 0x00000000FFFFFFFFu;
        };
        const uint64_t bytes = narrow(low) | (narrow(high) << 32);
        std::memcpy(out, &bytes, sizeof bytes);
    }
}

#endif

#if defined(KV_WIDE_TEXT_BLOCKS)

// Where each unit of eight goes in a byte shuffle of their one- and two-byte forms (bit k of
// the index: unit k needs two bytes), and how many bytes they make. 4 KiB.
struct ShuffleTable {
    alignas(16) uint8_t from[256][16];
    uint8_t bytes[256];
};

constexpr ShuffleTable kShortShuffles = [] {
    ShuffleTable table{};
    for (uint32_t wide = 0; wide < 256; ++wide) {
        uint8_t at = 0;
        for (uint8_t k = 0; k < kRun; ++k) {
            table.from[wide][at++] = static_cast<uint8_t>(2 * k);
            if ((wide >> k) & 1) table.from[wide][at++] = static_cast<uint8_t>(2 * k + 1);
        }
        table.bytes[wide] = at;
        while (at < 16) table.from[wide][at++] = 0x80; // a zero byte, overwritten by the next
    }
    return table;
}();

// All ones in each lane whose unit is below `limit`, a power of two.
[[gnu::target("avx2")]] inline __m256i UnitsBelow256(__m256i units, int limit) {
    const __m256i high = _mm256_and_si256(units, _mm256_set1_epi16(static_cast<short>(-limit)));
    return _mm256_cmpeq_epi16(high, _mm256_setzero_si256());
}

// Sixteen units below 0x800 (`ascii`: lanes below 0x80), two runs of eight whose two-byte units
// are `wideLow` and `wideHigh`: each unit's form in its own lane, 110xxxxx 10xxxxxx first byte
// low, then one shuffle packs each run. Sixteen bytes are stored per run, of which the next
// run's overwrite the unused.
[[gnu::target("avx2")]] inline char*
EncodeShortSixteen(__m256i units, __m256i ascii, uint32_t wideLow, uint32_t wideHigh, char* at) {
    const __m256i twoBytes = _mm256_or_si256(
        _mm256_or_si256(_mm256_srli_epi16(units, 6),
                        _mm256_and_si256(_mm256_slli_epi16(units, 8), _mm256_set1_epi16(0x3F00))),
        _mm256_set1_epi16(static_cast<short>(0x80C0)));
    const __m256i forms = _mm256_blendv_epi8(twoBytes, units, ascii);
    auto from = [](uint32_t wide) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(kShortShuffles.from[wide]));
    };
    const __m256i packed = _mm256_shuffle_epi8(
        forms, _mm256_inserti128_si256(_mm256_castsi128_si256(from(wideLow)), from(wideHigh), 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm256_castsi256_si128(packed));
    at += kShortShuffles.bytes[wideLow];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm256_extracti128_si256(packed, 1));
    return at + kShortShuffles.bytes[wideHigh];
}

// Thirty-two units at a time while every unit is below 0x800: ASCII by one pack, and with
// two-byte units (a text column's dots) by shuffles, without a branch on where they stand.
// Stops before 32 with a unit of three bytes or more, or the last 32 of the text; returns the
// units taken. Stores stay within three bytes per unit taken and the 64 after.
//
// Whether a block is all ASCII is a branch only after eight such blocks in a row: in a listing,
// where every line brings dots, it would go either way at random, and shuffling an ASCII block
// costs less than the guess gone wrong.
[[gnu::target("avx2")]] size_t EncodeBlocksOf32(const char16_t* units, size_t n, char*& at) {
    constexpr uint32_t kAsciiBlocksToBranch = 8;
    uint32_t asciiBlocks = kAsciiBlocksToBranch;
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(units + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(units + i + 16));
        const __m256i aAscii = UnitsBelow256(a, 0x80);
        const __m256i bAscii = UnitsBelow256(b, 0x80);
        // The pack goes by 128-bit halves: bits 0-7 are units 0-7, 8-15 units 16-23, 16-23
        // units 8-15 and 24-31 units 24-31.
        const uint32_t wide =
            ~static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_packs_epi16(aAscii, bAscii)));
        if (asciiBlocks >= kAsciiBlocksToBranch && wide == 0) {
            const __m256i narrow = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), narrow);
            at += 32;
            continue;
        }
        if (~_mm256_movemask_epi8(UnitsBelow256(_mm256_or_si256(a, b), 0x800)) != 0) break;
        asciiBlocks = wide == 0 ? asciiBlocks + 1 : 0;
        at = EncodeShortSixteen(a, aAscii, wide & 0xFF, (wide >> 16) & 0xFF, at);
        at = EncodeShortSixteen(b, bAscii, (wide >> 8) & 0xFF, wide >> 24, at);
    }
    return i;
}

size_t EncodeBlocks(const char16_t* units, size_t n, char*& at) {
    return __builtin_cpu_supports("avx2") ? EncodeBlocksOf32(units, n, at) : 0;
}
#endif

// The units ORed together.
char16_t AnyBitsOf(const char16_t* units, size_t count) {
    char16_t any = 0;
    for (size_t k = 0; k < count; ++k) any |= units[k];
    return any;
}

// The UTF-8 form of every unit below 0x800: its first byte, its second (if any) above it, and
// its length in bits 16 and up. 8 KiB, of which a text column touches a few lines.
constexpr auto kShortForms = [] {
    std::array<uint32_t, 0x800> forms{};
    for (uint32_t c = 0; c < forms.size(); ++c)
        forms[c] = c < 0x80 ? c | (1u << 16) : TwoByteForm(c) | (2u << 16);
    return forms;
}();

// Units below 0x800, one or two bytes each, by table and without a branch per unit: in the text
// column of random bytes ASCII and dots follow each other unpredictably. The second byte is
// stored even for a one-byte unit and overwritten by the next; it stays inside the caller's three
// bytes per unit.
char* EncodeShortUnits(const char16_t* units, size_t count, char* at) {
    for (size_t k = 0; k < count; ++k) {
        const uint32_t form = kShortForms[units[k]];
        at[0] = static_cast<char>(form);
        at[1] = static_cast<char>(form >> 8);
        at += form >> 16;
    }
    return at;
}

#if !defined(KV_VECTOR_TEXT_RUNS)
char* EncodeShortRun(const char16_t* units, char* at) {
    return EncodeShortUnits(units, kRun, at);
}
#endif

#if !defined(KV_WIDE_TEXT_BLOCKS)
size_t EncodeBlocks(const char16_t*, size_t, char*&) {
    return 0;
}
#endif

struct Encoded {
    char* at;    // past the bytes written
    size_t used; // units taken
};

// The character at units[0]: a surrogate pair when one is whole.
Encoded EncodeOneCharacter(const char16_t* units, size_t left, char* at) {
    char32_t code = units[0];
    size_t used = 1;
    if (code < 0x80) {
        *at++ = static_cast<char>(code);
        return {at, used};
    }
    if (code >= 0xD800 && code <= 0xDBFF && left > 1 && units[1] >= 0xDC00 && units[1] <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (units[1] - 0xDC00);
        used = 2;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
        code = 0xFFFD; // a lone surrogate has no UTF-8 form
    }
    if (code < 0x800) {
        *at++ = static_cast<char>(0xC0 | (code >> 6));
        *at++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *at++ = static_cast<char>(0xE0 | (code >> 12));
        *at++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *at++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *at++ = static_cast<char>(0xF0 | (code >> 18));
        *at++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *at++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *at++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return {at, used};
}

} // namespace

size_t EncodeUtf8(std::u16string_view utf16, char* out) {
    // Eight units at a time while they are all ASCII, or all below 0x800 as in a text column of
    // dots; single characters only where a unit needs three bytes or more.
    const char16_t* units = utf16.data();
    const size_t n = utf16.size();
    char* at = out;
    size_t i = 0;
    // Blocks of 32 where the processor can and the units allow; not tried again after a single
    // character until a run of eight has gone by, so that text of three-byte characters does
    // not try a block per character.
    bool blocksMayFit = true;
    while (i + kRun <= n) {
        if (blocksMayFit) {
            i += EncodeBlocks(units + i, n - i, at);
            if (i + kRun > n) break;
        }
        const RunKind kind = KindOfRun(units + i);
        blocksMayFit = kind != RunKind::Other;
        if (kind == RunKind::Ascii) {
            NarrowAsciiRun(units + i, at);
            at += kRun;
            i += kRun;
        } else if (kind == RunKind::Short) {
            at = EncodeShortRun(units + i, at);
            i += kRun;
        } else {
            const Encoded one = EncodeOneCharacter(units + i, n - i, at);
            at = one.at;
            i += one.used;
        }
    }
    // The last units of a line: the same short form when they allow it.
    if (i < n && AnyBitsOf(units + i, n - i) < 0x800) {
        at = EncodeShortUnits(units + i, n - i, at);
        i = n;
    }
    while (i < n) {
        const Encoded one = EncodeOneCharacter(units + i, n - i, at);
        at = one.at;
        i += one.used;
    }
    return static_cast<size_t>(at - out);
}

std::string ToUtf8(std::u16string_view utf16) {
    std::string out(utf16.size() * kUtf8BytesPerUnit, '\0');
    out.resize(EncodeUtf8(utf16, out.data()));
    return out;
}

size_t WidenAscii(char16_t* out, size_t capacity, const char* s) {
    if (capacity == 0) return 0;
    size_t n = 0;
    if (s != nullptr)
        while (n + 1 < capacity && s[n] != 0) {
            out[n] = static_cast<unsigned char>(s[n]);
            ++n;
        }
    out[n] = 0;
    return n;
}

} // namespace text
