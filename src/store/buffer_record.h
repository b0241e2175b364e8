// The record of one buffer as the per-process key keeps it: a REG_BINARY value of exactly 24
// little-endian bytes, named after the buffer's address.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "sys/sys.h"

struct BufferRecord {
    uint32_t address;
    uint32_t size;
    sys::SystemTime created; // UTC, when the record was written
};

// The record's bytes are the structure's bytes: these hold on every target.
static_assert(sizeof(BufferRecord) == 24);
static_assert(offsetof(BufferRecord, size) == 4 && offsetof(BufferRecord, created) == 8);
static_assert(std::endian::native == std::endian::little);

// The longest value name is 13 characters (an address of 0x80000000 or above).
constexpr int kValueNameCapacity = 64;

// The value name of a buffer's record: the address taken as signed and widened to 64 bits,
// written as an unsigned number in base 36 (digits, then lower-case letters), no leading zeros.
// 0x00A41000 is "6egao"; 0x80001000 is "3w5e1116m8iyo".
void BufferValueName(uint32_t address, char16_t (&name)[kValueNameCapacity]);
