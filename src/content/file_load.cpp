// Loading a whole file, or a part of one, into a new buffer, in pieces.
#include "content/file_pieces.h"
#include "content/load_sources.h"
#include "content/transfer_outcome.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "store/buffer_allocation.h"
#include "store/last_transfer.h"
#include "text/format.h"

namespace {

// What is loaded of a file: the whole file, within @BLOAD's limit, or a part of any file.
struct FileSpan {
    bool whole;
    FileOffset offset;
    uint64_t length; // 0: to the end
};

// Sizes the open file, finds the span in it and reads the span into a new buffer, whose address
// goes to `address` as soon as there is one. 0, or the code of the failure.
uint32_t ReadIntoNewBuffer(sys::Handle file, const FileSpan& span, BufferAddress* address,
                           uint32_t* size) {
    uint64_t fileSize = 0;
    if (!sys::FileSizeOf(file, &fileSize)) return SystemFailureCode();
    uint64_t count = fileSize;
    if (span.whole) {
        if (fileSize > kLoadLimit) return kFileTooLargeCode;
        if (fileSize == 0) return kEmptyFileCode;
    } else {
        uint64_t offset = 0;
        if (!PlaceFileOffset(span.offset, fileSize, &offset) || offset >= fileSize)
            return kEmptyFileCode;
        const uint64_t rest = fileSize - offset;
        count = span.length != 0 && span.length < rest ? span.length : rest;
        if (count > UINT32_MAX) return kFileTooLargeCode;
        if (!sys::SeekFile(file, offset)) return SystemFailureCode();
    }
    *size = static_cast<uint32_t>(count);
    *address = AllocateBuffer(*size);
    if (*address == 0) return kNoMemoryCode;
    return ReadWhole(file, BufferAt(*address), *size, span.whole ? kTransferPiece : kPartPiece);
}

void LoadSpan(const char16_t* path, const FileSpan& span, char16_t* result) {
    BufferAddress address = 0;
    uint32_t size = 0;
    const uint32_t failure =
        WithOpenFile(sys::OpenFileForReading(path), false, [&](sys::Handle file) {
            return ReadIntoNewBuffer(file, span, &address, &size);
        });
    FinishLoad(failure, address, size, result);
}

} // namespace

void LoadFile(const char16_t* path, char16_t* result) {
    LoadSpan(path, FileSpan{true, FileOffset{0, false}, 0}, result);
}

void LoadFilePart(const char16_t* path, FileOffset offset, uint64_t length, char16_t* result) {
    LoadSpan(path, FileSpan{false, offset, length}, result);
}
