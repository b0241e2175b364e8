// The record of one buffer as the per-process key keeps it: a REG_BINARY value of little-endian
// bytes, named after the buffer's address. 32-bit addresses: address (4), size (4), creation
// time (16), 24 bytes. 64-bit addresses: address (8), size (4), four zero bytes, creation time
// (16), 32 bytes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "frame/buffer_address.h"
#include "sys/sys.h"

struct BufferRecord {
    BufferAddress address;
    uint32_t size;
#if defined(KV_WIDE_ADDRESSES)
    uint32_t zero = 0; // written as zeros, so that the record has no undefined bytes
#endif
    sys::SystemTime created; // UTC, when the record was written
};

// The record's bytes are the structure's bytes: these hold on every target.
constexpr uint32_t kRecordBytes = sizeof(sys::SystemTime) + 2 * sizeof(BufferAddress);
static_assert(sizeof(BufferRecord) == kRecordBytes);
static_assert(offsetof(BufferRecord, size) == sizeof(BufferAddress));
static_assert(offsetof(BufferRecord, created) == kRecordBytes - sizeof(sys::SystemTime));
static_assert(std::endian::native == std::endian::little);

// The longest value name is 13 characters (an address of 0x80000000 or above on 32 bits, and
// of 0x8000000000000000 or above on 64).
constexpr int kValueNameCapacity = 64;

// The value name of a buffer's record: the address as a signed number widened to 64 bits (the
// 32-bit form sign-extends, the 64-bit form is the address itself), written as an unsigned
// number in base 36 (digits, then lower-case letters), no leading zeros. 0x00A41000 is "6egao";
// on 32 bits 0x80001000 is "3w5e1116m8iyo".
void BufferValueName(BufferAddress address, char16_t (&name)[kValueNameCapacity]);
