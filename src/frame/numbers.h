// The plug-in's one syntax for numbers, sizes and buffer handles, and the N-byte operations of
// the typed value functions.
//
// Numbers: "0x" then a hexadecimal digit reads hexadecimal, "0o" then an octal digit reads
// octal, a decimal digit reads decimal ("017" is seventeen). ParseS64 also takes "+" or "-"
// before a decimal number. Results: 0, -1 for bad syntax or a null pointer, 34 (out of range).
#pragma once

#include <cstdint>

#include "frame/buffer_address.h"

constexpr int kRangeError = 34;

// With `rest`, the number may be followed by other text, which `rest` receives; without it the
// whole text must be the number. On failure nothing is stored.
[[nodiscard]] int ParseU32(const char16_t* text, uint32_t* value, const char16_t** rest = nullptr);
[[nodiscard]] inline int ParseU32(char16_t* text, uint32_t* value, char16_t** rest) {
    return ParseU32(text, value, const_cast<const char16_t**>(rest));
}
[[nodiscard]] int ParseU64(const char16_t* text, uint64_t* value);
// Hexadecimal and octal give the bit pattern of an unsigned 64-bit number (sixteen F digits
// are -1).
[[nodiscard]] int ParseS64(const char16_t* text, int64_t* value);

// A byte count: a number, optional blanks, then an optional unit (K M G: 1024-based, k m g:
// 1000-based) and an optional element size (B W D Q in either case: 1, 2, 4, 8 bytes). Reports
// its own errors, with the argument upper-cased in place. Returns 0; the ParseU32 result for a
// bad number; -3 for an unknown unit; -4 when the size exceeds 32 bits; -1 for null pointers.
[[nodiscard]] int ParseSize(char16_t* text, uint32_t* size);

// A buffer handle: hexadecimal text naming a block the host knows, at a multiple of 8. Read as
// the C library reads hexadecimal (leading white space, "+" and "0x" allowed), except that a
// "-" is refused rather than negated into some other address. Returns the address and stores
// the block's size in `size` when given, or 0 when the text is no valid handle. Reports nothing.
[[nodiscard]] BufferAddress ParseBufferHandle(const char16_t* text, uint32_t* size = nullptr);

// The number of a buffer handle alone, read as ParseBufferHandle reads it, without asking
// whether a block is there. False when the text is no such number or exceeds the address width.
[[nodiscard]] bool ReadHandleNumber(const char16_t* text, BufferAddress* address);

// Whether a value fits in N bytes as unsigned or as signed. Nothing fits in 0 bytes, everything
// in 8 or more.
int FitsUnsigned(int n, uint64_t value);
int FitsSigned(int n, int64_t value);

// Copies bit 8N-1 into all higher bits (N from 1 to 7; other N return the value unchanged).
uint64_t SignExtend(int n, uint64_t value);

// Reverses N bytes in place. -1 for a null pointer, 0 when N is below 2, else 1.
int ReverseBytes(int n, void* bytes);

// ":" or "=", which may stand between a command option and its value.
int IsOptionSeparator(char16_t c);
