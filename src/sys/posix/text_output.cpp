// Standard streams and text output. Text leaves the process as UTF-8, to a terminal as well.
#include <cerrno>
#include <string>
#include <unistd.h>

#include "frame/text/u16.h"
#include "sys/posix/posix_handle.h"
#include "sys/sys.h"

namespace sys {
namespace {

// Standard output waiting to be written, when it goes to a file or pipe. A write costs a system
// call's entry and exit however short, which in a virtual machine is dear: 256 KiB makes a long
// listing's writes few (64 KiB took 2 ms more of 40 for 40 MB) while staying in the processor's
// second-level cache, and holds back little when the process is stopped from outside.
constexpr size_t kPendingBytes = 256 * 1024;

struct PendingOutput {
    bool collecting = false;
    size_t used = 0;
    char bytes[kPendingBytes];
};

PendingOutput Pending;

bool WriteAllBytes(int fd, const char* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t written = write(fd, bytes + done, size - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

bool WriteNow(int fd, const char16_t* text, size_t length) {
    std::string bytes = text::ToUtf8(std::u16string_view(text, length));
    return WriteAllBytes(fd, bytes.data(), bytes.size());
}

// Adds text to what waits, writing that out first when the text might not fit.
bool Collect(const char16_t* text, size_t length) {
    const size_t most = length * text::kUtf8BytesPerUnit;
    if (most > kPendingBytes - Pending.used && !FlushStandardOutput()) return false;
    if (most > kPendingBytes) return WriteNow(STDOUT_FILENO, text, length);
    Pending.used +=
        text::EncodeUtf8(std::u16string_view(text, length), Pending.bytes + Pending.used);
    return true;
}

} // namespace

Handle StdHandle(StdStream stream) {
    switch (stream) {
    case StdStream::Input:
        return posix::HandleOf(STDIN_FILENO);
    case StdStream::Output:
        return posix::HandleOf(STDOUT_FILENO);
    case StdStream::Error:
        return posix::HandleOf(STDERR_FILENO);
    }
    return nullptr;
}

bool IsConsole(Handle handle) {
    int fd = posix::DescriptorOf(handle);
    return fd >= 0 && isatty(fd) == 1;
}

bool WriteText(Handle handle, const char16_t* text, size_t length) {
    int fd = posix::DescriptorOf(handle);
    if (fd < 0 || (text == nullptr && length != 0)) return false;
    if (length == 0) return true;
    if (Pending.collecting) {
        if (fd == STDOUT_FILENO) return Collect(text, length);
        if (!FlushStandardOutput()) return false;
    }
    return WriteNow(fd, text, length);
}

bool BufferStandardOutput(bool on) {
    FlushStandardOutput();
    Pending.collecting = on && !IsConsole(StdHandle(StdStream::Output));
    return Pending.collecting;
}

bool FlushStandardOutput() {
    const size_t used = Pending.used;
    Pending.used = 0;
    return used == 0 || WriteAllBytes(STDOUT_FILENO, Pending.bytes, used);
}

} // namespace sys
