// The output formats of @BPEEKX and @BMODVAL: how a word's value becomes the result text.
#pragma once

#include <cstddef>
#include <cstdint>

enum class OutputFormat {
    Unsigned, // 0, and every number without a format of its own: 255
    Signed,   // "+" or 1, sign-extended from the word's top bit: -1
    Hex,      // 2: 0xFF, zero-padded to 2N digits
    BareHex,  // 3: FF, zero-padded to 2N digits
    Octal,    // 4: 0o377, zero-padded to 8N/3 digits rounded up
};

// The format argument: exactly "+", or an unsigned 32-bit number. False when it is neither.
[[nodiscard]] bool ParseOutputFormat(const char16_t* text, OutputFormat* format);

// Writes the N-byte word `value` (bits above 8N are ignored) into `out`, bounded by `capacity`.
void WriteWordValue(char16_t* out, size_t capacity, OutputFormat format, int n, uint64_t value);
