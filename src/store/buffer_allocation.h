// Allocation and release of buffers, keeping the heap and the records in step.
#pragma once

#include <cstdint>

#include "store/buffer_record.h"

// A new zero-filled block of the process heap with its record; the address, or 0 when the
// heap refuses (and for size 0). A record that cannot be written does not fail the allocation:
// the buffer is then simply not listed.
[[nodiscard]] BufferAddress AllocateBuffer(uint32_t size);

// Releases a buffer and deletes its record. Returns the recorded size, 0 when it had no record
// (and for a null address).
uint32_t FreeBuffer(BufferAddress address);

// Releases the buffer of a record already read, and deletes the record.
void FreeRecordedBuffer(const BufferRecord& record);
