// @BFILL: repeats one integer value of 1 to 8 bytes over a range of a buffer.
#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "content/content_arguments.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "text/format.h"

namespace {

constexpr uint32_t kBigEndianFlag = 1;

enum Arg { kHandle, kValueSize, kValue, kOffset, kCount, kFlags };

// The value's text as a number in the range of `size` bytes: a leading sign selects the signed
// range. 0, or -1 after it reported why not.
int ReadFillValue(uint32_t size, uint64_t* pattern) {
    if (!ArgGiven(kValue)) return 0;
    const char16_t* text = ArgText(kValue);
    const bool isSigned = text[0] == u'-' || text[0] == u'+';
    bool fits = false;
    if (isSigned) {
        int64_t value = 0;
        if (ParseS64(text, &value) != 0) return RefuseArgument(u"Bad value: \"%s\"\r\n", kValue);
        fits = FitsSigned(static_cast<int>(size), value) != 0;
        *pattern = static_cast<uint64_t>(value);
    } else {
        uint64_t value = 0;
        if (ParseU64(text, &value) != 0) return RefuseArgument(u"Bad value: \"%s\"\r\n", kValue);
        fits = FitsUnsigned(static_cast<int>(size), value) != 0;
        *pattern = value;
    }
    if (!fits) {
        ReportMessage(u"Value not in %s%u-bit range: \"%s\"\r\n", isSigned ? u"signed " : u"",
                      8 * size, text);
        return -1;
    }
    return 0;
}

// A run of whole values that stays in the first-level cache: copies of it fill a large range
// nearly as fast as memset does.
constexpr uint32_t kPatternBlock = 4096;

#if defined(__SSE2__)

// From this size on a fill goes around the cache, as memset does with large ranges: the range
// would only push everything else out of it, and stores that bypass it need not read each line
// before writing it.
constexpr uint64_t kStreamingFill = uint64_t{4} << 20;

// Fills `total` bytes at `out` with the value of `size` bytes (2 to 8) repeated, from a whole
// value on. 16 * size bytes are both whole values and whole 16-byte stores, so after the bytes up
// to a 16-byte boundary the same `size` registers are stored again and again.
void StreamPattern(uint8_t* out, uint64_t total, const uint8_t* value, uint32_t size) {
    const uint64_t head =
        std::min<uint64_t>((16 - reinterpret_cast<uintptr_t>(out) % 16) % 16, total);
    for (uint64_t i = 0; i < head; ++i) out[i] = value[i % size];
    alignas(16) uint8_t block[16 * 8];
    const uint32_t blockBytes = 16 * size;
    for (uint32_t i = 0; i < blockBytes; ++i) block[i] = value[(head + i) % size];
    __m128i lanes[8];
    for (uint32_t k = 0; k < size; ++k)
        lanes[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(block + 16 * k));
    uint8_t* at = out + head;
    uint64_t left = total - head;
    for (; left >= blockBytes; left -= blockBytes, at += blockBytes)
        for (uint32_t k = 0; k < size; ++k)
            _mm_stream_si128(reinterpret_cast<__m128i*>(at + 16 * k), lanes[k]);
    _mm_sfence();
    std::memcpy(at, block, left); // less than one block, in the same phase as its start
}

#endif

// Writes the value's bytes again and again from `offset`, `count` values (0: to the end), the
// last one only as far as the buffer goes. Gives the bytes written.
uint64_t FillPattern(uint8_t* buffer, uint32_t bufferSize, uint32_t offset, const uint8_t* value,
                     uint32_t size, uint32_t count) {
    const uint64_t room = bufferSize - uint64_t{offset};
    const uint64_t total = count == 0 ? room : std::min(room, uint64_t{count} * size);
    uint8_t* out = buffer + offset;
    if (size == 1) {
        std::memset(out, value[0], total);
        return total;
    }
#if defined(__SSE2__)
    if (total >= kStreamingFill) {
        StreamPattern(out, total, value, size);
        return total;
    }
#endif
    uint8_t block[kPatternBlock];
    const uint32_t blockBytes = kPatternBlock - kPatternBlock % size;
    for (uint32_t at = 0; at < blockBytes; at += size) std::memcpy(block + at, value, size);
    // Every piece starts on a value's boundary, since blockBytes is a multiple of the size.
    for (uint64_t done = 0; done < total; done += blockBytes)
        std::memcpy(out + done, block, std::min<uint64_t>(blockBytes, total - done));
    return total;
}

} // namespace

KV_EXPORT int KV_API f_bfill(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginFillFunction(argument, &text, &buffer); stop != 0) return stop;

    uint32_t size = 1;
    if (!ReadOptionalU32(kValueSize, &size))
        return RefuseArgument(u"Bad value size: \"%s\"\r\n", kValueSize);
    if (size < 1 || size > 8) {
        ReportMessage(u"Value size must be 1 to 8: %u\r\n", size);
        return -1;
    }
    uint64_t pattern = 0;
    if (ReadFillValue(size, &pattern) != 0) return -1;

    uint32_t offset = 0;
    if (!ReadBufferOffset(kOffset, false, buffer, &offset)) return -1;
    uint32_t count = 0;
    if (!ReadOptionalU32(kCount, &count)) return RefuseArgument(u"Bad count: \"%s\"\r\n", kCount);
    uint32_t flags = 0;
    if (!ReadOptionalU32(kFlags, &flags))
        return RefuseArgument(u"Bad flags value: \"%s\"\r\n", kFlags);

    // The value's bytes, least significant first, or most significant first when asked.
    uint8_t value[8];
    for (int i = 0; i < 8; ++i) value[i] = static_cast<uint8_t>(pattern >> (8 * i));
    if ((flags & kBigEndianFlag) != 0) ReverseBytes(static_cast<int>(size), value);

    const uint64_t written = FillPattern(buffer.Bytes(), buffer.size, offset, value, size, count);
    text::Format(text, kTextCapacity, u"%I64u", written);
    return 0;
}
