// Reading and writing a word in either byte order.
#include "values/value_word.h"

#include "frame/numbers.h"

uint64_t WordMask(int n) {
    if (n <= 0) return 0;
    if (n >= kMaxWordSize) return ~uint64_t{0};
    return (uint64_t{1} << (8 * n)) - 1;
}

// The bytes are gathered first and turned around as bytes, so that the result does not depend
// on the byte order of the machine the plug-in runs on.
uint64_t ReadWord(const uint8_t* at, int n, bool bigEndian) {
    uint8_t bytes[kMaxWordSize] = {};
    for (int i = 0; i < n && i < kMaxWordSize; ++i) bytes[i] = at[i];
    if (bigEndian) ReverseBytes(n, bytes);
    uint64_t value = 0;
    for (int i = 0; i < n && i < kMaxWordSize; ++i) value |= uint64_t{bytes[i]} << (8 * i);
    return value;
}

void WriteWord(uint8_t* at, int n, bool bigEndian, uint64_t value) {
    uint8_t bytes[kMaxWordSize] = {};
    for (int i = 0; i < n && i < kMaxWordSize; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    if (bigEndian) ReverseBytes(n, bytes);
    for (int i = 0; i < n && i < kMaxWordSize; ++i) at[i] = bytes[i];
}
