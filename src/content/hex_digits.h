// Bytes as hexadecimal digits and back, for @BGETHEX, @BPUTHEX and the patterns of @BFIND.
#pragma once

#include <cstddef>
#include <cstdint>

// What may stand between two bytes of hexadecimal digits, beside white space.
enum class HexSeparators { Blanks, BlanksAndCommas };

// Reads two hexadecimal digits a byte, in either case, with white space (and with
// BlanksAndCommas, commas) allowed between bytes, not inside one, into at most `capacity`
// bytes. Returns the bytes read, or -1 for any other text: an odd number of digits, a character
// that is no digit, no digits at all, or more bytes than `capacity`.
[[nodiscard]] int ReadHexBytes(const char16_t* text, uint8_t* out, size_t capacity,
                               HexSeparators separators = HexSeparators::Blanks);

// Writes `count` bytes as upper-case digits, two a byte, and a terminator: 2 * count + 1 units.
void WriteHexDigits(const uint8_t* bytes, size_t count, char16_t* out);

// The same in lower case, as digests are shown.
void WriteLowerHexDigits(const uint8_t* bytes, size_t count, char16_t* out);
