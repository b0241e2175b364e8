// Standard output collected into large writes, the one policy of both backends (sys.h,
// BufferStandardOutput). What is collected is the text written to the handle that was standard
// output when collecting began: the host asks again whenever it sends standard output elsewhere,
// and text for that handle belongs to it, wherever standard output goes in the meantime. A write
// to any other handle writes out what waits first.
#pragma once

#include <cstddef>

#include "sys/sys.h"
#include "text/u16.h"

namespace sys {

// The most that waits. A write costs a system call's entry and exit however short, so the
// pieces are large; but a piece that leaves the processor's second-level cache costs more than
// the calls it saves. In bench/run.sh's listing of 8 MiB to a file (42 MB of text) 64 KiB and
// 256 KiB take the same time and 1 MiB 7% more; the smaller holds back less when the process is
// stopped from outside, and each module that links a backend has its own.
constexpr size_t kPendingOutputBytes = 64 * 1024;

// `Backend` writes for it, each noting a failure of standard output as its backend does:
//   static size_t Encode(const char16_t* text, size_t length, char* out, size_t room):
//       the text as UTF-8 into `out` (`room` bytes, kUtf8BytesPerUnit for every unit), its bytes;
//       0 for a text it cannot convert
//   static bool WriteBytes(Handle file, const char* bytes, size_t size)
//   static bool WriteUnbuffered(Handle file, const char16_t* text, size_t length)
template <typename Backend>
class PendingOutput {
public:
    // Writes out what waits, then collects the text for `output` from now on; none for null.
    bool CollectFor(Handle output) {
        const bool flushed = Flush();
        target_ = output;
        return flushed;
    }
    Handle Target() const { return target_; }
    bool Takes(Handle handle) const { return target_ != nullptr && handle == target_; }

    // Adds text for the target, writing out what waits first when the text might not fit; a
    // text that could never fit is written at once.
    bool Add(const char16_t* text, size_t length) {
        const size_t most = length * text::kUtf8BytesPerUnit;
        if (most > kPendingOutputBytes - used_ && !Flush()) return false;
        if (most > kPendingOutputBytes) return Backend::WriteUnbuffered(target_, text, length);
        const size_t bytes =
            Backend::Encode(text, length, bytes_ + used_, kPendingOutputBytes - used_);
        used_ += bytes;
        return bytes != 0;
    }

    // Writes out what waits. False when that write failed: the text is dropped then.
    bool Flush() {
        const size_t used = used_;
        used_ = 0;
        return used == 0 || Backend::WriteBytes(target_, bytes_, used);
    }

private:
    Handle target_ = nullptr;
    size_t used_ = 0;
    char bytes_[kPendingOutputBytes];
};

} // namespace sys
