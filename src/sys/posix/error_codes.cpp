// The one table from errno to Windows error codes, and the per-thread last error code.
#include "sys/posix/error_codes.h"

#include <cerrno>

#include "sys/sys.h"

namespace sys::posix {
namespace {

struct ErrorPair {
    int error;
    uint32_t code;
};

// Windows has no errno; these are the codes its file calls give for the same conditions.
constexpr ErrorPair kErrorTable[] = {
    {ENOENT, 2},         // ERROR_FILE_NOT_FOUND
    {ENOTDIR, 3},        // ERROR_PATH_NOT_FOUND
    {EMFILE, 4},         // ERROR_TOO_MANY_OPEN_FILES
    {ENFILE, 4},         //
    {EACCES, 5},         // ERROR_ACCESS_DENIED
    {EPERM, 5},          //
    {EISDIR, 5},         // a directory opened as a file
    {EBADF, 6},          // ERROR_INVALID_HANDLE
    {ENOMEM, 8},         // ERROR_NOT_ENOUGH_MEMORY
    {EXDEV, 17},         // ERROR_NOT_SAME_DEVICE
    {EROFS, 19},         // ERROR_WRITE_PROTECT
    {ENXIO, 21},         // ERROR_NOT_READY
    {ENODEV, 21},        //
    {ETXTBSY, 32},       // ERROR_SHARING_VIOLATION
    {EBUSY, 32},         //
    {EAGAIN, 33},        // ERROR_LOCK_VIOLATION
    {ENOSYS, 50},        // ERROR_NOT_SUPPORTED
    {EOPNOTSUPP, 50},    //
    {EEXIST, 80},        // ERROR_FILE_EXISTS
    {EINVAL, 87},        // ERROR_INVALID_PARAMETER
    {EPIPE, 109},        // ERROR_BROKEN_PIPE
    {ENOSPC, 112},       // ERROR_DISK_FULL
    {EDQUOT, 112},       //
    {ENAMETOOLONG, 206}, // ERROR_FILENAME_EXCED_RANGE
    {EFBIG, 223},        // ERROR_FILE_TOO_LARGE
    {EIO, 1117},         // ERROR_IO_DEVICE
    {ELOOP, 1921},       // ERROR_CANT_RESOLVE_FILENAME
};

// Any other failure still has to read as one: ERROR_GEN_FAILURE.
constexpr uint32_t kOtherFailure = 31;

thread_local uint32_t lastErrorCode = 0;

} // namespace

uint32_t WindowsErrorOf(int error) {
    if (error == 0) return 0;
    for (const ErrorPair& pair : kErrorTable)
        if (pair.error == error) return pair.code;
    return kOtherFailure;
}

void SetLastErrorCode(uint32_t code) {
    lastErrorCode = code;
}

void SetLastErrorFromErrno() {
    lastErrorCode = WindowsErrorOf(errno);
}

} // namespace sys::posix

namespace sys {

uint32_t LastErrorCode() {
    return posix::lastErrorCode;
}

} // namespace sys
