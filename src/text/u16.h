// Small helpers for null-terminated UTF-16 text and its conversion to and from UTF-8.
//
// Like the formatter beside it, this includes nothing of the project: the system backends, which
// the frame builds on, use it as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace text {

size_t Length(const char16_t* s);

// Copies at most capacity-1 units and terminates; returns the units copied.
size_t CopyBounded(char16_t* out, size_t capacity, const char16_t* s);

// Appends to a terminated text in `out`, bounded by `capacity`; returns false when it was cut.
bool AppendBounded(char16_t* out, size_t capacity, const char16_t* s);

// ASCII-only case folding comparisons for names and keywords.
char16_t AsciiLower(char16_t c);
bool EqualNoCase(const char16_t* a, const char16_t* b);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(const char16_t* s, std::u16string_view prefix);

// Conversions; invalid input becomes U+FFFD.
std::u16string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::u16string_view utf16);

// ToUtf8 into a caller's buffer of at least kUtf8BytesPerUnit bytes per unit; returns the bytes
// written. No unit needs more: a surrogate pair gives 4 bytes for 2 units.
inline constexpr size_t kUtf8BytesPerUnit = 3;
size_t EncodeUtf8(std::u16string_view utf16, char* out);

// Copies an 8-bit ASCII text into UTF-16 (each byte one unit), bounded like CopyBounded.
size_t WidenAscii(char16_t* out, size_t capacity, const char* s);

} // namespace text
