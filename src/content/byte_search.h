// Finding a byte pattern in a buffer, forwards or backwards, for @BFIND.
#pragma once

#include <cstddef>
#include <cstdint>

// The longest pattern: a whole argument of text, each unit three bytes of UTF-8.
constexpr size_t kMostPatternBytes = 3 * 8192;

// A pattern and how it matches. Without `anyCase` every byte matches exactly. With it, ASCII
// letters match in either case: each letter byte of a pattern of single bytes, and each 16-bit
// little-endian unit of a pattern of `wide` units (UTF-16LE text) that is a letter.
struct BytePattern {
    const uint8_t* bytes;
    size_t length; // 1 to kMostPatternBytes; even when `wide`
    bool anyCase;
    bool wide;
};

// The first place at or after `from` where the pattern begins in the `size` bytes, or -1.
int64_t FindFirst(const uint8_t* bytes, size_t size, size_t from, const BytePattern& pattern);

// The last place at or before `from` where the pattern begins (and ends within the bytes), or
// -1.
int64_t FindLast(const uint8_t* bytes, size_t size, size_t from, const BytePattern& pattern);
