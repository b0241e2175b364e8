// Loading a whole file into a new buffer, in pieces.
#include "content/load_sources.h"
#include "content/transfer_outcome.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "frame/text/format.h"
#include "store/buffer_allocation.h"
#include "store/last_transfer.h"

namespace {

// Reads `size` bytes into the buffer. 0, or the code of the failure.
uint32_t ReadWhole(sys::Handle file, uint8_t* bytes, uint32_t size) {
    for (uint32_t done = 0; done < size;) {
        const uint32_t piece = size - done < kTransferPiece ? size - done : kTransferPiece;
        uint32_t got = 0;
        if (!sys::ReadFilePiece(file, bytes + done, piece, &got)) return SystemFailureCode();
        // The file became shorter since its size was read; stop rather than spin.
        if (got == 0) return kShortReadCode;
        done += got;
    }
    return 0;
}

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
    return ReadWhole(file, BufferAt(*address), *size);
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
