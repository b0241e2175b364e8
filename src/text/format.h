// The bounded formatter: printf conventions over UTF-16 text, the same on every build.
//
// Conversions: %s (UTF-16 text), %c, %d, %i, %u, %x, %X, %o, %f, %q, %%; flags "-", "0", "+",
// " " and "#"; width and precision, either may be "*"; size prefixes I64, ll, l and h. %q takes
// an unsigned 64-bit value (on x86 it arrives as two 32-bit words, low word first, which is how
// a 64-bit argument is passed anyway). A conversion it does not know is copied as it stands.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace text {

// Formats into `out`, writing at most `capacity` units including the terminator, and always
// terminates when `capacity` is not 0. Returns the length the whole text would have (without
// the terminator): a result of `capacity` or more means the text was cut.
size_t FormatV(char16_t* out, size_t capacity, const char16_t* format, va_list args);
size_t Format(char16_t* out, size_t capacity, const char16_t* format, ...);

} // namespace text
