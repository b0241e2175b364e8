// Bytes as base64 text and back (RFC 4648), for @BGETB64 and @BPUTB64.
#pragma once

#include <cstddef>
#include <cstdint>

// The units that `count` bytes take as padded text, without the terminator.
constexpr size_t Base64Length(size_t count) {
    return (count + 2) / 3 * 4;
}

// Writes `count` bytes in the standard alphabet, padded with "=", without line breaks, and a
// terminator: Base64Length(count) + 1 units.
void WriteBase64(const uint8_t* bytes, size_t count, char16_t* out);

// Reads base64 text in the standard alphabet ("+" and "/") or the URL-safe one ("-" and "_"),
// with or without its padding, white space allowed anywhere, into at most `capacity` bytes. The
// bits that the last character holds beyond the last byte are ignored. Returns the bytes read, or
// -1 for any other text: a character of neither alphabet, a length that no bytes have (one
// character beyond whole groups of four), padding that does not end the text or does not make a
// whole group, no bytes at all, or more bytes than `capacity`.
int ReadBase64(const char16_t* text, uint8_t* out, size_t capacity);
