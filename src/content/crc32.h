// The CRC-32 of zip, PNG and Ethernet (the reflected polynomial 0xEDB88320), for @BHASH and
// @BFILEHASH.
#pragma once

#include <cstddef>
#include <cstdint>

// The CRC-32 of `size` bytes that follow bytes whose CRC-32 is `before` (0: nothing before), as
// zlib's crc32 carries it: Crc32(b, nb, Crc32(a, na)) is the CRC-32 of a followed by b, so that a
// file of any size goes through in pieces. By carry-less multiplication where the processor has
// it, else by tables.
uint32_t Crc32(const uint8_t* bytes, size_t size, uint32_t before = 0);

// The two ways, for the tests that hold them to each other. Crc32ByFolding only where
// CanFoldCrc32() says the processor can (PCLMULQDQ); elsewhere it is Crc32BySlices.
uint32_t Crc32BySlices(const uint8_t* bytes, size_t size, uint32_t before);
uint32_t Crc32ByFolding(const uint8_t* bytes, size_t size, uint32_t before);
bool CanFoldCrc32();
