// The word of the typed value functions: N bytes (1 to 8) at an offset in a buffer, held in an
// unsigned 64-bit integer whose bits above 8N are zero, and the flag bits that shape it.
#pragma once

#include <cstdint>

// Bits of the flags argument. A function honours only the bits that apply to it and ignores
// every other.
constexpr uint32_t BigEndian = 0x01;    // most significant byte first (N > 1)
constexpr uint32_t SignedValue = 0x80;  // the value argument is signed
constexpr uint32_t NoWriteBack = 0x400; // @BMODVAL shows the new value without storing it

constexpr int kMaxWordSize = 8;

// Bits 0 to 8N-1 set.
uint64_t WordMask(int n);

// The N bytes at `at` as a number: little-endian, or big-endian with `bigEndian`.
uint64_t ReadWord(const uint8_t* at, int n, bool bigEndian);

// Stores the low 8N bits of `value` into the N bytes at `at` in the same order.
void WriteWord(uint8_t* at, int n, bool bigEndian, uint64_t value);
