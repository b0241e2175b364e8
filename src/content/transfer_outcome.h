// How the transfers between files and buffers (@BLOAD, @BSAVE, @BLOADPART, @BPATCH) and the
// digests of files (@BFILEHASH) leave their outcome in LastError and LastLoadSize.
#pragma once

#include <cstdint>

#include "frame/buffer_address.h"

// The codes the transfers set besides the system's own.
constexpr uint32_t kNoMemoryCode = 8;       // no buffer for the data
constexpr uint32_t kNoSystemCode = 490;     // a step failed and the system gave no code
constexpr uint32_t kFileTooLargeCode = 491; // above kLoadLimit; a part of 4 GiB or more
constexpr uint32_t kEmptyFileCode = 492;    // also: a part that starts at or past the end
constexpr uint32_t kShortReadCode = 493;    // a read gave nothing before the end
constexpr uint32_t kBeyondEndCode = 494;    // a patch that would start past the file's end
constexpr uint32_t kCancelledCode = 1223;   // stopped by Ctrl-C or Ctrl-Break (ERROR_CANCELLED)

// The largest file @BLOAD takes: 8 MiB.
constexpr uint64_t kLoadLimit = 8388608;

// Whole files move in pieces of this many bytes; parts of files, which may be as large as a
// buffer, in pieces of kPartPiece, so that a large part takes few system calls.
constexpr uint32_t kTransferPiece = 8192;
constexpr uint32_t kPartPiece = 1u << 20;

// The system's code for the step that just failed, or kNoSystemCode when it gave none: never 0,
// so that a failure cannot pass for success.
[[nodiscard]] uint32_t SystemFailureCode();

// Ends a write to a file: LastError says how it went and the result is the bytes written, or
// "0" after a failure (what was written before it stays written). Gives 0, or on failure
// `failedResult`: @BSAVE fails its line then, @BPATCH does not.
[[nodiscard]] int FinishWrite(uint32_t failure, uint64_t total, char16_t* result, int failedResult);

// Ends a digest of a file: LastError says how it went, and after a failure the result is "0".
// True on success, when the caller writes the digest.
bool FinishDigest(uint32_t failure, char16_t* result);

// Ends a load: on failure no buffer survives (a partly filled one is freed), LastError says why
// and the result is "0"; on success LastLoadSize is `size` and the result the new handle.
void FinishLoad(uint32_t failure, BufferAddress address, uint32_t size, char16_t* result);
