// @BFILEHASH: the digest of a file, or of a part of one, of any size. The file is read in
// pieces into a block of the plug-in's own, and Ctrl-C or Ctrl-Break stops a long digest.
#include "console/interrupt.h"
#include "content/content_arguments.h"
#include "content/crc32.h"
#include "content/digest_kinds.h"
#include "content/file_pieces.h"
#include "content/transfer_outcome.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"

namespace {

enum Arg { kFileName, kAlgorithm, kOffset, kLength };

// Bytes read a piece. Pieces that stay in the processor's cache while they are summed beat
// larger ones; far smaller ones spend their time in the system (bench/run.sh measures them).
constexpr uint32_t kDigestPiece = 1u << 20;

// A digest being taken: the CRC-32 so far, or the system's digest.
struct RunningDigest {
    const DigestKind* kind;
    uint32_t crc;
    sys::Digest system;
};

bool AddPiece(RunningDigest* digest, const uint8_t* bytes, uint32_t size) {
    if (!digest->kind->crc32) return sys::AddToDigest(digest->system, bytes, size);
    digest->crc = Crc32(bytes, size, digest->crc);
    return true;
}

// Reads `count` bytes from the file's position into the digest. 0, or the code of the failure;
// kCancelledCode when Ctrl-C or Ctrl-Break came before the last piece.
uint32_t ReadIntoDigest(sys::Handle file, uint64_t count, RunningDigest* digest) {
    if (count == 0) return 0;
    const uint32_t piece = count < kDigestPiece ? static_cast<uint32_t>(count) : kDigestPiece;
    auto* bytes = static_cast<uint8_t*>(sys::HeapAllocZeroed(piece));
    if (bytes == nullptr) return kNoMemoryCode;
    InstallCtrlHandler();
    uint32_t failure = 0;
    for (uint64_t left = count; left > 0 && failure == 0;) {
        if (CtrlCPressed != 0) {
            failure = kCancelledCode;
            break;
        }
        const uint32_t asked = left < piece ? static_cast<uint32_t>(left) : piece;
        uint32_t got = 0;
        if (!sys::ReadFilePiece(file, bytes, asked, &got))
            failure = SystemFailureCode();
        else if (got == 0) // the file became shorter since its size was read
            failure = kShortReadCode;
        else if (!AddPiece(digest, bytes, got < asked ? got : asked))
            failure = kNoSystemCode;
        else
            left -= got < asked ? got : asked;
    }
    RemoveCtrlHandler();
    (void)sys::HeapRelease(bytes); // a block just allocated: it goes back
    return failure;
}

// Finds the part in the open file and reads it into the digest. 0, or the code of the failure.
uint32_t DigestPart(sys::Handle file, FileOffset offset, uint64_t length, RunningDigest* digest) {
    uint64_t fileSize = 0;
    if (!sys::FileSizeOf(file, &fileSize)) return SystemFailureCode();
    // The file's end is a part of no bytes, whose digest is the empty input's.
    uint64_t start = 0;
    if (!PlaceFileOffset(offset, fileSize, &start) || start > fileSize) return kEmptyFileCode;
    const uint64_t rest = fileSize - start;
    const uint64_t count = length != 0 && length < rest ? length : rest;
    if (count != 0 && !sys::SeekFile(file, start)) return SystemFailureCode();
    return ReadIntoDigest(file, count, digest);
}

// Digests the part of the file named by its full path and writes the result: the digest, or
// "0" with the code in LastError.
void DigestFilePart(const char16_t* path, const DigestKind* kind, FileOffset offset,
                    uint64_t length, char16_t* result) {
    RunningDigest digest{kind, 0, nullptr};
    uint8_t out[sys::kLargestDigest];
    size_t outLength = 0;
    const uint32_t failure =
        WithOpenFile(sys::OpenFileForReading(path), false, [&](sys::Handle file) {
            if (kind->crc32) return DigestPart(file, offset, length, &digest);
            digest.system = sys::BeginDigest(kind->algorithm);
            if (digest.system == nullptr) return kNoSystemCode;
            const uint32_t failed = DigestPart(file, offset, length, &digest);
            outLength = sys::EndDigest(digest.system, failed == 0 ? out : nullptr);
            return failed != 0 ? failed : outLength == 0 ? kNoSystemCode : 0;
        });
    if (!FinishDigest(failure, result)) return;
    if (kind->crc32)
        WriteCrc32Text(digest.crc, result);
    else
        WriteDigestText(out, outLength, result);
}

} // namespace

KV_EXPORT int KV_API f_bfilehash(HostChar* argument) {
    char16_t* text = nullptr;
    if (const int stop = BeginFunction(argument, ArgCommas, &text); stop != 0) return stop;
    char16_t path[kPathCapacity];
    if (!ReadFileName(kFileName, path)) return -1;
    const DigestKind* kind = ReadDigestKind(kAlgorithm);
    if (kind == nullptr) return -1;
    FileOffset offset{0, false};
    if (ArgGiven(kOffset) && !ReadFileOffset(kOffset, true, &offset)) return -1;
    uint64_t length = 0;
    if (!ReadFileLength(kLength, &length)) return -1;
    // A failure is the file's, not the batch file's: the line runs and tests the result.
    DigestFilePart(path, kind, offset, length, text);
    return 0;
}
