// The algorithms of @BHASH and @BFILEHASH, and how their digests are written: lower-case
// hexadecimal, as sha256sum shows them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sys/sys.h"

// CRC-32 is the plug-in's own (Crc32); the others are the system's (sys::ComputeDigest and the
// digests in pieces).
struct DigestKind {
    const char16_t* name;
    bool crc32;
    sys::DigestAlgorithm algorithm;
};

// The algorithm that argument `index` names, in any case: "Missing algorithm", "Unknown
// algorithm: "X"" give null.
const DigestKind* ReadDigestKind(int index);

// A CRC-32 as eight digits.
void WriteCrc32Text(uint32_t crc, char16_t* result);

// A digest of `length` bytes as two digits a byte; a length of 0, a digest the system could not
// give, as "0", which no digest is.
void WriteDigestText(const uint8_t* digest, size_t length, char16_t* result);
