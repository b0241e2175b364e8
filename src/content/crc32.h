// The CRC-32 of zip, PNG and Ethernet (the reflected polynomial 0xEDB88320), for @BHASH.
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t Crc32(const uint8_t* bytes, size_t size);
