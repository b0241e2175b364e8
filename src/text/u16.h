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

// The one UTF-8 decoder. How a byte begins a character: the continuation bytes it needs (0 for
// ASCII, -1 for a byte that begins none) and the range its first continuation lies in (the
// others lie in 0x80 to 0xBF), so that no overlong form, surrogate or value past U+10FFFF is
// UTF-8.
struct Utf8Lead {
    int continuations;
    unsigned char low, high;
};
Utf8Lead Utf8LeadOf(unsigned char byte);

// The character that begins at `bytes` (`count` > 0 of them), with the bytes it takes in
// `*taken`. Malformed input gives one U+FFFD for each maximal subpart, as Unicode recommends: the
// longest start of a sequence that could still have become a character, or else one byte.
char32_t DecodeUtf8(const unsigned char* bytes, size_t count, size_t* taken);

// Conversions; invalid input becomes U+FFFD as DecodeUtf8 gives it.
std::u16string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::u16string_view utf16);

// ToUtf8 into a caller's buffer of at least kUtf8BytesPerUnit bytes per unit; returns the bytes
// written. No unit needs more: a surrogate pair gives 4 bytes for 2 units.
inline constexpr size_t kUtf8BytesPerUnit = 3;
size_t EncodeUtf8(std::u16string_view utf16, char* out);

// Copies an 8-bit ASCII text into UTF-16 (each byte one unit), bounded like CopyBounded.
size_t WidenAscii(char16_t* out, size_t capacity, const char* s);

} // namespace text
