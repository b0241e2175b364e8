// Files read and written in pieces, with failures as Windows error codes.
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "sys/posix/error_codes.h"
#include "sys/posix/posix_handle.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace sys {
namespace {

constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Windows tells a missing file (2) from a missing directory on the way to it (3); errno says
// ENOENT for both.
void SetOpenFailure(const std::string& path) {
    const int error = errno;
    if (error == ENOENT) {
        const size_t slash = path.find_last_of('/');
        const std::string directory =
            slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
        if (!IsDirectory(directory)) {
            posix::SetLastErrorCode(kPathNotFound);
            return;
        }
    }
    posix::SetLastErrorCode(posix::WindowsErrorOf(error));
}

Handle OpenFile(const char16_t* path, int flags) {
    if (path == nullptr || path[0] == 0) {
        posix::SetLastErrorCode(posix::WindowsErrorOf(ENOENT));
        return nullptr;
    }
    const std::string name = text::ToUtf8(path);
    int fd = -1;
    do fd = open(name.c_str(), flags | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        SetOpenFailure(name);
        return nullptr;
    }
    return posix::HandleOf(fd);
}

// Opens a file that is only read or changed in place. Only a regular file opens as one: a
// directory (which Windows does not open as a file either), a pipe, a socket or a device is
// refused with the code a directory gets. O_NONBLOCK keeps the open of a named pipe from waiting
// for a writer, or a reader (without one an open for writing fails with ENXIO).
Handle OpenRegularFile(const char16_t* path, int access) {
    Handle file = OpenFile(path, access | O_NONBLOCK);
    if (file == nullptr) {
        if (errno == ENXIO) posix::SetLastErrorCode(kAccessDenied);
        return nullptr;
    }
    const int fd = posix::DescriptorOf(file);
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        CloseHandle(file);
        posix::SetLastErrorCode(kAccessDenied);
        return nullptr;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return file;
}

} // namespace

Handle OpenFileForReading(const char16_t* path) {
    return OpenRegularFile(path, O_RDONLY);
}

Handle OpenFileForPatching(const char16_t* path) {
    return OpenRegularFile(path, O_WRONLY);
}

Handle CreateFileForWriting(const char16_t* path) {
    return OpenFile(path, O_WRONLY | O_CREAT | O_TRUNC);
}

Handle OpenFileForAppending(const char16_t* path) {
    return OpenFile(path, O_WRONLY | O_CREAT | O_APPEND);
}

// close() reports what a delayed write met (EIO, ENOSPC on a network file system). The
// descriptor is gone whatever it says, EINTR included, so it is never closed twice.
bool CloseFile(Handle file) {
    const int fd = posix::DescriptorOf(file);
    if (fd < 0) {
        posix::SetLastErrorCode(posix::WindowsErrorOf(EBADF));
        return false;
    }
    if (close(fd) == 0 || errno == EINTR) return true;
    posix::SetLastErrorFromErrno();
    return false;
}

bool FileSizeOf(Handle file, uint64_t* size) {
    struct stat status {};
    if (size == nullptr || fstat(posix::DescriptorOf(file), &status) != 0) {
        posix::SetLastErrorFromErrno();
        return false;
    }
    *size = static_cast<uint64_t>(status.st_size);
    return true;
}

bool SeekFile(Handle file, uint64_t offset) {
    if (offset > static_cast<uint64_t>(INT64_MAX)) {
        posix::SetLastErrorCode(posix::WindowsErrorOf(EINVAL));
        return false;
    }
    if (lseek(posix::DescriptorOf(file), static_cast<off_t>(offset), SEEK_SET) < 0) {
        posix::SetLastErrorFromErrno();
        return false;
    }
    return true;
}

bool ReadFilePiece(Handle file, void* bytes, uint32_t size, uint32_t* done) {
    if (done != nullptr) *done = 0;
    ssize_t got = -1;
    do got = read(posix::DescriptorOf(file), bytes, size);
    while (got < 0 && errno == EINTR);
    if (got < 0) {
        posix::SetLastErrorFromErrno();
        return false;
    }
    if (done != nullptr) *done = static_cast<uint32_t>(got);
    return true;
}

bool WriteFilePiece(Handle file, const void* bytes, uint32_t size, uint32_t* done) {
    if (done != nullptr) *done = 0;
    ssize_t put = -1;
    do put = write(posix::DescriptorOf(file), bytes, size);
    while (put < 0 && errno == EINTR);
    if (put < 0) {
        posix::SetLastErrorFromErrno();
        return false;
    }
    if (done != nullptr) *done = static_cast<uint32_t>(put);
    return true;
}

} // namespace sys
