// Loading a whole file, or a part of one, into a new buffer, in pieces.
#include "content/file_pieces.h"
#include "content/load_sources.h"
#include "content/transfer_outcome.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "frame/text/format.h"
#include "store/buffer_allocation.h"
#include "store/last_transfer.h"

namespace {

// Sizes the open file and reads it into a new buffer, whose address goes to `address` as soon
// as there is one. 0, or the code of the failure.
uint32_t ReadIntoNewBuffer(sys::Handle file, BufferAddress* address, uint32_t* size) {
    uint64_t fileSize = 0;
    if (!sys::FileSizeOf(file, &fileSize)) return SystemFailureCode();
    if (fileSize > kLoadLimit) return kFileTooLargeCode;
    if (fileSize == 0) return kEmptyFileCode;
    *size = static_cast<uint32_t>(fileSize);
    *address = AllocateBuffer(*size);
    if (*address == 0) return kNoMemoryCode;
    return ReadWhole(file, BufferAt(*address), *size, kTransferPiece);
}

} // namespace

void LoadFile(const char16_t* path, char16_t* result) {
    BufferAddress address = 0;
    uint32_t size = 0;
    uint32_t failure = 0;
    sys::Handle file = sys::OpenFileForReading(path);
    if (file == nullptr) {
        failure = SystemFailureCode();
    } else {
        failure = ReadIntoNewBuffer(file, &address, &size);
        sys::CloseHandle(file);
    }
    FinishLoad(failure, address, size, result);
}

namespace {

// Sizes the open file, finds the part in it and reads the part into a new buffer, whose address
// goes to `address` as soon as there is one. 0, or the code of the failure.
uint32_t ReadPartIntoNewBuffer(sys::Handle file, uint64_t offset, uint64_t length,
                               BufferAddress* address, uint32_t* size) {
    uint64_t fileSize = 0;
    if (!sys::FileSizeOf(file, &fileSize)) return SystemFailureCode();
    if (offset >= fileSize) return kEmptyFileCode;
    const uint64_t rest = fileSize - offset;
    const uint64_t count = length != 0 && length < rest ? length : rest;
    if (count > UINT32_MAX) return kFileTooLargeCode;
    if (!sys::SeekFile(file, offset)) return SystemFailureCode();
    *size = static_cast<uint32_t>(count);
    *address = AllocateBuffer(*size);
    if (*address == 0) return kNoMemoryCode;
    return ReadWhole(file, BufferAt(*address), *size, kPartPiece);
}

} // namespace

void LoadFilePart(const char16_t* path, uint64_t offset, uint64_t length, char16_t* result) {
    BufferAddress address = 0;
    uint32_t size = 0;
    uint32_t failure = 0;
    sys::Handle file = sys::OpenFileForReading(path);
    if (file == nullptr) {
        failure = SystemFailureCode();
    } else {
        failure = ReadPartIntoNewBuffer(file, offset, length, &address, &size);
        sys::CloseHandle(file);
    }
    FinishLoad(failure, address, size, result);
}
