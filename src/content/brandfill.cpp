// @BRANDFILL: fills a range of a buffer with bytes of the system's cryptographic generator.
#include "content/content_arguments.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "text/format.h"

namespace {

enum Arg { kHandle, kOffset, kCount };

// The generator is asked for at most this many bytes at a time.
constexpr uint32_t kRandomPiece = 8192;

// Fills `size` bytes piece by piece. False when the generator cannot be opened or fails on a
// piece: the bytes before it are filled then, but none can be claimed as random.
bool FillWithRandomBytes(uint8_t* bytes, uint32_t size) {
    sys::RandomSource source = sys::OpenRandomSource();
    if (source == nullptr) return false;
    bool filled = true;
    for (uint32_t done = 0; done < size && filled;) {
        const uint32_t piece = size - done < kRandomPiece ? size - done : kRandomPiece;
        filled = sys::FillRandom(source, bytes + done, piece);
        done += piece;
    }
    sys::CloseRandomSource(source);
    return filled;
}

} // namespace

KV_EXPORT int KV_API f_brandfill(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginFillFunction(argument, &text, &buffer); stop != 0) return stop;

    uint32_t offset = 0;
    if (!ReadBufferOffset(kOffset, false, buffer, &offset)) return -1;
    const uint32_t rest = buffer.size - offset;
    uint32_t count = rest;
    if (!ReadOptionalU32(kCount, &count)) return RefuseArgument(u"Bad count: \"%s\"\r\n", kCount);
    if (count > rest) count = rest;

    if (count != 0 && !FillWithRandomBytes(buffer.Bytes() + offset, count)) {
        text::Format(text, kTextCapacity, u"0");
        return 0;
    }
    text::Format(text, kTextCapacity, u"%u", count);
    return 0;
}
