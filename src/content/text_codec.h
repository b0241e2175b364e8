// Text in a buffer's bytes and back, for @BGETTEXT and @BPUTTEXT (and the text patterns of
// @BFIND): the ANSI or OEM code page through the system, UTF-8 and UTF-16LE by the plug-in's own
// rules, the same on every system.
#pragma once

#include <cstddef>
#include <cstdint>

enum class TextEncoding { Ansi, Oem, Utf8, Utf16 };

// The encoding argument: A (ANSI), O (OEM), 8 (UTF-8) or W (UTF-16LE), in either case. False for
// any other text.
[[nodiscard]] bool ParseTextEncoding(const char16_t* text, TextEncoding* encoding);

// What DecodeText gives when the system cannot convert the text of a code page (the code page
// is not there, or no memory).
constexpr int64_t kCodePageUnavailable = -2;

// Decodes the text at the start of `count` bytes: up to the first zero character (a zero byte,
// or for UTF-16LE a zero unit) or the end. Malformed sequences decode to U+FFFD, each maximal
// part of one as one, as Unicode advises. Writes at most `capacity` - 1 units and a terminator;
// returns the units written, -1 when the text has more, or kCodePageUnavailable.
[[nodiscard]] int64_t DecodeText(TextEncoding encoding, const uint8_t* bytes, size_t count,
                                 char16_t* out, size_t capacity);

// The most bytes a unit encodes to in any encoding.
constexpr size_t kMostBytesPerUnit = 3;

// Encodes `length` units into `out`, which holds kMostBytesPerUnit bytes a unit. Returns the
// bytes written, or -1 with `*unheld` the index of the first character the encoding cannot
// hold (a lone surrogate in UTF-8; any character outside a code page), or -1 with `*unheld` -1
// when the system has no such code page.
[[nodiscard]] int64_t EncodeText(TextEncoding encoding, const char16_t* text, size_t length,
                                 uint8_t* out, int64_t* unheld);

// The character that starts at `index` of `length` units: a surrogate pair as one code point.
uint32_t CodePointAt(const char16_t* text, size_t length, size_t index);

// The code page of an ANSI or OEM encoding, 65001 for UTF-8 and 1200 for UTF-16LE.
uint32_t CodePageOf(TextEncoding encoding);
