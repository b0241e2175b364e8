// The floating-point numbers of @BPEEKF and @BPOKEF: IEEE 754 numbers of 4 bytes (binary32) or
// 8 bytes (binary64), held as a word's bits, and their text.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes the number of N bytes (4 or 8) whose bits are `bits` as the shortest text that reads
// back to it, in the form std::to_chars gives: 3.14, 1e+30, -0, inf, -inf, nan, -nan (a NaN
// keeps its sign, not its payload). Bounded by `capacity`.
void WriteFloatValue(char16_t* out, size_t capacity, int n, uint64_t bits);

enum class FloatParse {
    Done,
    Bad,      // not a number in the syntax below
    TooLarge, // a finite number that rounds to infinity in N bytes
};

// Reads the whole text as a number of N bytes (4 or 8), rounded to the nearest: an optional "+"
// or "-", then decimal digits with an optional point and an optional exponent ("1.5", ".5",
// "1e-3", "2E+30"), or "inf", "infinity" or "nan" in any case. A number too small for the size
// becomes a zero of its sign; a NaN is the quiet NaN of its sign.
FloatParse ParseFloatValue(const char16_t* text, int n, uint64_t* bits);
