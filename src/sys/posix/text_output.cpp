// Standard streams and text output. Text leaves the process as UTF-8, to a terminal as well.
#include <cerrno>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "sys/failed_output_files.h"
#include "sys/pending_output.h"
#include "sys/posix/error_codes.h"
#include "sys/posix/posix_handle.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace sys {
namespace {

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

struct PendingWrites {
    static size_t Encode(const char16_t* text, size_t length, char* out, size_t /*room*/) {
        return text::EncodeUtf8(std::u16string_view(text, length), out);
    }
    // What is collected is always for descriptor 1.
    static bool WriteBytes(Handle /*file*/, const char* bytes, size_t size) {
        return WriteStandardOutput(bytes, size);
    }
    static bool WriteUnbuffered(Handle file, const char16_t* text, size_t length) {
        return WriteNow(posix::DescriptorOf(file), text, length);
    }
};

PendingOutput<PendingWrites> Pending;

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
    if (Pending.Takes(handle)) return Pending.Add(text, length);
    // What standard output fails to take does not keep this text back.
    Pending.Flush();
    return WriteNow(fd, text, length);
}

bool BufferStandardOutput(bool on) {
    const Handle output = StdHandle(StdStream::Output);
    Pending.CollectFor(on && !IsConsole(output) ? output : nullptr);
    return Pending.Target() != nullptr;
}

bool FlushStandardOutput() {
    return Pending.Flush();
}

uint32_t StandardOutputError() {
    return FailureOfOutputNow();
}

} // namespace sys
