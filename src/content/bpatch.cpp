// @BPATCH: writes a range of a buffer into an existing file at an offset, in place.
#include "content/content_arguments.h"
#include "content/file_pieces.h"
#include "content/transfer_outcome.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "text/format.h"

namespace {

enum Arg { kHandle, kFileName, kFileOffset, kStart, kLength };

// Writes the bytes into the open file at `fileOffset`, which may be its end but neither past it
// nor before its start. 0, or the code of the failure.
uint32_t WriteAt(sys::Handle file, FileOffset fileOffset, const uint8_t* bytes, uint32_t count,
                 uint64_t* total) {
    uint64_t fileSize = 0;
    if (!sys::FileSizeOf(file, &fileSize)) return SystemFailureCode();
    // A gap of bytes nobody wrote is no patch.
    uint64_t offset = 0;
    if (!PlaceFileOffset(fileOffset, fileSize, &offset) || offset > fileSize) return kBeyondEndCode;
    if (!sys::SeekFile(file, offset)) return SystemFailureCode();
    return WriteWhole(file, bytes, count, kPartPiece, total);
}

} // namespace

KV_EXPORT int KV_API f_bpatch(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    char16_t path[kPathCapacity];
    if (const int stop = BeginFileWrite(argument, &text, &buffer, path); stop != 0) return stop;
    FileOffset fileOffset{};
    if (!ReadFileOffset(kFileOffset, false, &fileOffset)) return -1;
    ByteRange range;
    if (!ReadReadRange(kStart, kLength, buffer, &range)) return -1;

    uint64_t total = 0;
    const uint32_t failure =
        WithOpenFile(sys::OpenFileForPatching(path), true, [&](sys::Handle file) {
            return WriteAt(file, fileOffset, buffer.Bytes() + range.start, range.count, &total);
        });
    // A failure is the file's, not the batch file's: the line runs and tests the result.
    return FinishWrite(failure, total, text, 0);
}
