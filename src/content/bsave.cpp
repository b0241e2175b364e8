// @BSAVE: writes a range of a buffer to a file, replacing the file.
#include "content/content_arguments.h"
#include "content/file_pieces.h"
#include "content/transfer_outcome.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "text/format.h"

namespace {

enum Arg { kHandle, kFileName, kStart, kLength };

} // namespace

KV_EXPORT int KV_API f_bsave(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    char16_t path[kPathCapacity];
    if (const int stop = BeginFileWrite(argument, &text, &buffer, path); stop != 0) return stop;
    ByteRange range;
    if (!ReadReadRange(kStart, kLength, buffer, &range)) return -1;

    uint64_t total = 0;
    const uint32_t failure =
        WithOpenFile(sys::CreateFileForWriting(path), true, [&](sys::Handle file) {
            return WriteWhole(file, buffer.Bytes() + range.start, range.count, kTransferPiece,
                              &total);
        });
    return FinishWrite(failure, total, text, -1);
}
