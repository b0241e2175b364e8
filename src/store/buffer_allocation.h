// Allocation and release of buffers, keeping the heap and the records in step.
#pragma once

#include <cstdint>

#include "store/buffer_record.h"

// A new zero-filled block of the process heap with its record; the address, or 0 when the
// heap refuses (and for size 0). A record that cannot be written does not fail the allocation:
// the buffer is then simply not listed.
[[nodiscard]] BufferAddress AllocateBuffer(uint32_t size);

// Deletes a buffer's record and releases the buffer; `*recordedSize` receives the recorded
// size, 0 when it had no record (and for a null address). The record goes first: false, with
// the buffer and its record kept, when the records cannot be read or the record cannot be
// deleted (ReportRecordFailure tells why).
[[nodiscard]] bool FreeBuffer(BufferAddress address, uint32_t* recordedSize);

// Deletes the record of a record already read and releases its buffer; false, with both kept,
// when the record cannot be deleted.
[[nodiscard]] bool FreeRecordedBuffer(const BufferRecord& record);
