// @BSAVE: writes a range of a buffer to a file, replacing the file.
#include "content/content_arguments.h"
#include "content/content_exports.h"
#include "content/transfer_outcome.h"
#include "frame/args.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "frame/text/format.h"
#include "store/store_exports.h"

namespace {

enum Arg { kHandle, kFileName, kStart, kLength };

// Writes `count` bytes in order, piece by piece, adding to `total` what each write reports.
// 0, or the code of the failure.
uint32_t WriteWhole(sys::Handle file, const uint8_t* bytes, uint32_t count, uint64_t* total) {
    for (uint32_t done = 0; done < count;) {
        const uint32_t piece = count - done < kTransferPiece ? count - done : kTransferPiece;
        uint32_t put = 0;
        if (!sys::WriteFilePiece(file, bytes + done, piece, &put)) return SystemFailureCode();
        // A write that claims success but moves nothing would repeat forever; the system gave
        // no reason, so it fails as such.
        if (put == 0) return kNoSystemCode;
        if (put > piece) put = piece;
        done += put;
        *total += put;
    }
    return 0;
}

} // namespace

KV_EXPORT int KV_API f_bsave(HostChar* argument) {
    if (argument == nullptr) return kNoArgumentText;
    char16_t* text = FromHost(argument);
    if (SplitArguments(ArgCommas, text) < 0) return -1;

    if (!ArgGiven(kHandle)) {
        ReportMessage(u"Missing handle\r\n");
        return -1;
    }
    uint32_t bufferSize = 0;
    const BufferAddress address = ParseBufferHandle(ArgText(kHandle), &bufferSize);
    if (address == 0) return RefuseArgument(u"Bad handle: \"%s\"\r\n", kHandle);

    if (!ArgGiven(kFileName)) {
        ReportMessage(u"Missing filename\r\n");
        return -1;
    }
    char16_t path[kPathCapacity];
    path[0] = 0;
    QueryTrueName(AsHost(ArgText(kFileName)), AsHost(path));
    if (path[0] == 0) return RefuseArgument(u"Error expanding filename: \"%s\"\r\n", kFileName);

    uint32_t start = 0;
    if (!ReadOptionalU32(kStart, &start))
        return RefuseArgument(u"Bad start value: \"%s\"\r\n", kStart);
    if (start >= bufferSize) {
        ReportMessage(u"Start address past end of buffer: %I64u \u2265 %I64u\r\n", uint64_t{start},
                      uint64_t{bufferSize});
        return -1;
    }
    uint32_t length = 0;
    if (!ReadOptionalU32(kLength, &length))
        return RefuseArgument(u"Bad length value: \"%s\"\r\n", kLength);

    // A length beyond the end of the buffer is cut to the end.
    uint32_t count = bufferSize - start;
    if (length != 0 && length < count) count = length;

    uint64_t total = 0;
    uint32_t failure = 0;
    sys::Handle file = sys::CreateFileForWriting(path);
    if (file == nullptr) {
        failure = SystemFailureCode();
    } else {
        failure = WriteWhole(file, BufferAt(address) + start, count, &total);
        sys::CloseHandle(file);
    }
    if (failure != 0) {
        // A partly written file stays as it is.
        NoteTransferFailure(failure);
        text::Format(text, kTextCapacity, u"0");
        return -1;
    }
    NoteTransferSuccess();
    text::Format(text, kTextCapacity, u"%I64u", total);
    return 0;
}
