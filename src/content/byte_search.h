// Finding a byte pattern in a buffer, forwards or backwards, for @BFIND.
#pragma once

#include <cstddef>
#include <cstdint>

// A pattern and how its bytes match: exactly, or, where `folds` marks a byte, as an ASCII
// letter in either case (the pattern's byte is a letter there).
struct BytePattern {
    const uint8_t* bytes;
    const bool* folds; // null: every byte matches exactly
    size_t length;     // at least 1
};

// The first position at or after `from` where the pattern begins in the `size` bytes, or -1.
int64_t FindFirst(const uint8_t* bytes, size_t size, size_t from, const BytePattern& pattern);

// The last position at or before `from` where the pattern begins (and ends within the bytes),
// or -1.
int64_t FindLast(const uint8_t* bytes, size_t size, size_t from, const BytePattern& pattern);
