// The records of the buffers this process allocated, kept in the per-process key. No record is
// cached: every lookup reopens the key and reads all records, so that a reloaded plug-in finds
// the records its earlier load wrote.
#pragma once

#include <cstdint>

#include "store/buffer_record.h"

// Writes the record of a buffer with the current UTC time. 1 when written, 0 when not, -1 for
// a null address.
[[nodiscard]] int RecordBuffer(BufferAddress address, uint32_t size);

// Deletes the record of the address if there is one. 0, or -1 for a null address.
int ForgetBuffer(BufferAddress address);

// Frees the list `list` holds, then reads every record into a fresh list (null when there are
// none, or when the key cannot be opened or the list not allocated) and returns how many it
// holds. Values of another type or size are no records. Free the list with FreeBufferRecords.
[[nodiscard]] int ReadBufferRecords(BufferRecord*& list);
void FreeBufferRecords(BufferRecord*& list);

// Whether a record has this address (0 for a null address).
[[nodiscard]] int IsListedBuffer(BufferAddress address);

// The size in the record of this address, 0 when there is none.
[[nodiscard]] uint32_t ListedBufferSize(BufferAddress address);
