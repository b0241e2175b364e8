#include "commands/bbdump_vector.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <tmmintrin.h> // used only where the processor is found to have SSSE3
#endif

namespace dump {

#if defined(__SSE2__)

namespace {

// Digits of the nibbles 0 to 15 held in 16-bit lanes: '0' + n, and past 9 on to 'a' or 'A'.
__m128i HexDigitUnits(__m128i nibbles, bool upperCase) {
    const __m128i letters = _mm_cmpgt_epi16(nibbles, _mm_set1_epi16(9));
    const __m128i toLetter =
        _mm_and_si128(letters, _mm_set1_epi16(upperCase ? 'A' - '9' - 1 : 'a' - '9' - 1));
    return _mm_add_epi16(_mm_add_epi16(nibbles, _mm_set1_epi16('0')), toLetter);
}

__m128i Select(__m128i mask, __m128i chosen, __m128i other) {
    return _mm_or_si128(_mm_and_si128(mask, chosen), _mm_andnot_si128(mask, other));
}

} // namespace

bool PutHexDigits8(uint32_t value, bool upperCase, char16_t* out) {
    // Lanes 0 to 3 hold the high half, 4 to 7 the low half; a multiply moves each lane's own
    // nibble to the top of the lane, where a shift brings it down.
    const __m128i value32 = _mm_cvtsi32_si128(static_cast<int>(value));
    const __m128i halves = _mm_unpacklo_epi64(_mm_shufflelo_epi16(value32, _MM_SHUFFLE(1, 1, 1, 1)),
                                              _mm_shufflelo_epi16(value32, 0));
    const __m128i toTop = _mm_set_epi16(4096, 256, 16, 1, 4096, 256, 16, 1);
    const __m128i nibbles = _mm_srli_epi16(_mm_mullo_epi16(halves, toTop), 12);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), HexDigitUnits(nibbles, upperCase));
    return true;
}

namespace {

// Where the units of eight "hh " cells come from in the sixteen digits of eight bytes, high
// digit first: per unit its digit's index and a zeroed high byte (-1 gives zero), or zero for
// a blank, which kCellBlanks then fills in. Three stores of eight units make the 24.
constexpr int8_t kNone = -1;
alignas(16) constexpr int8_t kCellDigits[3][16] = {
    {0, kNone, 1, kNone, kNone, kNone, 2, kNone, 3, kNone, kNone, kNone, 4, kNone, 5, kNone},
    {kNone, kNone, 6, kNone, 7, kNone, kNone, kNone, 8, kNone, 9, kNone, kNone, kNone, 10, kNone},
    {11, kNone, kNone, kNone, 12, kNone, 13, kNone, kNone, kNone, 14, kNone, 15, kNone, kNone,
     kNone}};
alignas(16) constexpr char16_t kCellBlanks[3][8] = {{0, 0, u' ', 0, 0, u' ', 0, 0},
                                                    {u' ', 0, 0, u' ', 0, 0, u' ', 0},
                                                    {0, u' ', 0, 0, u' ', 0, 0, u' '}};

[[gnu::target("ssse3")]] char16_t* HexGroupsByShuffles(const uint8_t* bytes, uint32_t groups,
                                                       bool upperCase, char16_t* out) {
    const __m128i digitOf = _mm_loadu_si128(
        reinterpret_cast<const __m128i*>(upperCase ? "0123456789ABCDEF" : "0123456789abcdef"));
    const __m128i low4 = _mm_set1_epi8(0x0F);
    for (uint32_t g = 0; g < groups; ++g, bytes += 8) {
        const __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes));
        const __m128i high =
            _mm_shuffle_epi8(digitOf, _mm_and_si128(_mm_srli_epi16(eight, 4), low4));
        const __m128i low = _mm_shuffle_epi8(digitOf, _mm_and_si128(eight, low4));
        const __m128i digits = _mm_unpacklo_epi8(high, low);
        for (int part = 0; part < 3; ++part, out += 8) {
            const __m128i from =
                _mm_load_si128(reinterpret_cast<const __m128i*>(kCellDigits[part]));
            const __m128i blanks =
                _mm_load_si128(reinterpret_cast<const __m128i*>(kCellBlanks[part]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                             _mm_or_si128(_mm_shuffle_epi8(digits, from), blanks));
        }
        *out++ = u' ';
    }
    return out;
}

// The raw column of sixteen bytes, judged byte by byte and widened to units: a blank for 0x80
// and above, and for the controls the replacement or, with pictures, the control picture
// (U+2400 + byte, DEL U+2421).
template <bool kPictures>
void PutRawColumn16(__m128i bytes, __m128i replacement, char16_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i high = _mm_cmplt_epi8(bytes, zero); // 0x80 and above, as signed bytes
    const __m128i isDel = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7F));
    const __m128i control =
        _mm_or_si128(_mm_andnot_si128(high, _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20))), isDel);
    const __m128i plain = _mm_or_si128(_mm_andnot_si128(_mm_or_si128(control, high), bytes),
                                       _mm_and_si128(high, _mm_set1_epi8(' ')));
    auto units = [&](__m128i plainUnits, __m128i controlUnits, __m128i byteUnits,
                     __m128i delUnits) {
        __m128i shown = replacement;
        if constexpr (kPictures)
            shown = Select(delUnits, _mm_set1_epi16(0x2421),
                           _mm_add_epi16(byteUnits, _mm_set1_epi16(0x2400)));
        return _mm_or_si128(plainUnits, _mm_and_si128(controlUnits, shown));
    };
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     units(_mm_unpacklo_epi8(plain, zero), _mm_unpacklo_epi8(control, control),
                           _mm_unpacklo_epi8(bytes, zero), _mm_unpacklo_epi8(isDel, isDel)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8),
                     units(_mm_unpackhi_epi8(plain, zero), _mm_unpackhi_epi8(control, control),
                           _mm_unpackhi_epi8(bytes, zero), _mm_unpackhi_epi8(isDel, isDel)));
}

template <bool kPictures>
uint32_t RawColumnRuns(const uint8_t* bytes, uint32_t count, char16_t replacement, char16_t* out) {
    const __m128i shown = _mm_set1_epi16(static_cast<short>(replacement));
    uint32_t done = 0;
    for (; done + 16 <= count; done += 16)
        PutRawColumn16<kPictures>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + done)),
                                  shown, out + done);
    if (done + 8 <= count) {
        // Eight bytes more: the column of sixteen, of which the first eight units are kept.
        char16_t units[16];
        PutRawColumn16<kPictures>(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes + done)),
                                  shown, units);
        std::memcpy(out + done, units, 8 * sizeof units[0]);
        done += 8;
    }
    return done;
}

} // namespace

char16_t* PutHexGroupsOf8Runs(const uint8_t* bytes, uint32_t groups, bool upperCase,
                              char16_t* out) {
    return __builtin_cpu_supports("ssse3") ? HexGroupsByShuffles(bytes, groups, upperCase, out)
                                           : nullptr;
}

uint32_t PutRawColumnRuns(const uint8_t* bytes, uint32_t count, char16_t replacement, bool pictures,
                          char16_t* out) {
    return pictures ? RawColumnRuns<true>(bytes, count, replacement, out)
                    : RawColumnRuns<false>(bytes, count, replacement, out);
}

#else

bool PutHexDigits8(uint32_t, bool, char16_t*) {
    return false;
}

char16_t* PutHexGroupsOf8Runs(const uint8_t*, uint32_t, bool, char16_t*) {
    return nullptr;
}

uint32_t PutRawColumnRuns(const uint8_t*, uint32_t, char16_t, bool, char16_t*) {
    return 0;
}

#endif

} // namespace dump
