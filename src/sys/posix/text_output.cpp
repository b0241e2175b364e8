// Standard streams and text output. Text leaves the process as UTF-8, to a terminal as well.
#include <cerrno>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "sys/failed_output_files.h"
#include "sys/posix/error_codes.h"
#include "sys/posix/posix_handle.h"
#include "sys/sys.h"
#include "text/u16.h"

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

// A file behind standard output, known by its device and node; a closed standard output is one
// that is not open.
struct OutputFile {
    bool open = false;
    dev_t device = 0;
    ino_t node = 0;
    bool operator==(const OutputFile&) const = default;
};

FailedOutputFiles<OutputFile> Failed;

OutputFile StandardOutputFile() {
    struct stat status {};
    if (fstat(STDOUT_FILENO, &status) != 0) return OutputFile{};
    return OutputFile{true, status.st_dev, status.st_ino};
}

uint32_t FailureOfOutputNow() {
    return Failed.FailureNow(StandardOutputFile);
}

void NoteOutputFailure(int error) {
    const uint32_t code = posix::WindowsErrorOf(error);
    posix::SetLastErrorCode(code);
    Failed.Note(StandardOutputFile(), code);
}

bool WriteAllBytes(int fd, const char* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t written = write(fd, bytes + done, size - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            // A descriptor shared with a program that made it non-blocking: wait for room.
            pollfd room{fd, POLLOUT, 0};
            if (errno == EAGAIN && poll(&room, 1, -1) >= 0) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

bool WriteStandardOutput(const char* bytes, size_t size) {
    if (FailureOfOutputNow() != 0) return false;
    if (WriteAllBytes(STDOUT_FILENO, bytes, size)) return true;
    NoteOutputFailure(errno);
    return false;
}

bool WriteNow(int fd, const char16_t* text, size_t length) {
    std::string bytes = text::ToUtf8(std::u16string_view(text, length));
    if (fd == STDOUT_FILENO) return WriteStandardOutput(bytes.data(), bytes.size());
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
    // Output for a file that failed is not even encoded: a long listing ends soon after.
    if (fd == STDOUT_FILENO && FailureOfOutputNow() != 0) return false;
    if (Pending.collecting) {
        if (fd == STDOUT_FILENO) return Collect(text, length);
        // What standard output fails to take does not keep this text back.
        FlushStandardOutput();
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
    return used == 0 || WriteStandardOutput(Pending.bytes, used);
}

uint32_t StandardOutputError() {
    return FailureOfOutputNow();
}

} // namespace sys
