// The records of the buffers this process allocated, kept in the per-process key. No record is
// cached: every lookup reopens the key and reads all records, so that a reloaded plug-in finds
// the records its earlier load wrote.
#pragma once

#include <cstdint>

#include "store/buffer_record.h"

// Writes the record of a buffer with the current UTC time. 1 when written, 0 when not, -1 for
// a null address.
[[nodiscard]] int RecordBuffer(BufferAddress address, uint32_t size);

// Deletes the record of the address if there is one. 0 when no record of it is left, -1 for a
// null address, 1 when the record stays: the key cannot be opened or the value not deleted.
[[nodiscard]] int ForgetBuffer(BufferAddress address);

// Frees the list `list` holds, then reads every record into a fresh list (null when there are
// none) and returns how many it holds. Values of another type or size are no records. -1, with
// a null list, when the records cannot be read: the key cannot be opened, its values cannot be
// enumerated to their end, or there is no memory for the list. Free the list with
// FreeBufferRecords.
[[nodiscard]] int ReadBufferRecords(BufferRecord*& list);
void FreeBufferRecords(BufferRecord*& list);

// Whether a record has this address: 1 or 0 (0 for a null address), -1 when the records cannot
// be read.
[[nodiscard]] int IsListedBuffer(BufferAddress address);

// The size in the record of this address, 0 when there is none or the records cannot be read.
[[nodiscard]] uint32_t ListedBufferSize(BufferAddress address);

// Reports, as every error message is reported, that the records could not be read or changed
// the last time that failed, with the system's code; returns -1.
int ReportRecordFailure();
