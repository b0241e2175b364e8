// Moving a run of bytes between a file and memory in pieces, as every transfer does.
#pragma once

#include <cstdint>

#include "content/transfer_outcome.h"
#include "sys/sys.h"

// Reads `size` bytes from the file's position in pieces of at most `piece` bytes. 0, or the code
// of the failure: the system's, or kShortReadCode when the file ends first.
[[nodiscard]] uint32_t ReadWhole(sys::Handle file, uint8_t* bytes, uint32_t size, uint32_t piece);

// What `transfer` gives with a file just opened, which is closed after it; the code of the failed
// open when `file` is null. A file written to that fails to close has lost what the system held
// back (a network file's delayed write): that fails the transfer. A file read from has given
// its bytes, whatever its closing says.
template <typename Transfer>
[[nodiscard]] uint32_t WithOpenFile(sys::Handle file, bool written, Transfer transfer) {
    if (file == nullptr) return SystemFailureCode();
    const uint32_t failure = transfer(file);
    if (!sys::CloseFile(file) && written && failure == 0) return SystemFailureCode();
    return failure;
}

// Writes `count` bytes at the file's position in pieces of at most `piece` bytes, adding to
// `total` what each write reports. 0, or the code of the failure: the system's, or
// kNoSystemCode for a write that claims success but moves nothing.
[[nodiscard]] uint32_t WriteWhole(sys::Handle file, const uint8_t* bytes, uint32_t count,
                                  uint32_t piece, uint64_t* total);
