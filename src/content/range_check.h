// The range test of @BMEMCMP and @BMEMCPY: a range must lie wholly inside its buffer.
#pragma once

#include <cstdint>

// Whether `size` bytes from `offset` lie inside a buffer of `bufferSize` bytes (the sum taken
// exactly, without wrap-around). An offset at the end holds 0 bytes.
inline bool RangeFits(uint32_t offset, uint32_t size, uint32_t bufferSize) {
    return uint64_t{offset} + size <= bufferSize;
}

// Reports a range that does not fit: the error report and `heading`, then `details` (three %q
// conversions for the offset, the size and the buffer's size) on a line of its own. Gives -1.
int RefuseRange(const char16_t* heading, const char16_t* details, uint32_t offset, uint32_t size,
                uint32_t bufferSize);
