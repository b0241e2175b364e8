// Standard streams sent elsewhere for a while: the process's standard handle is replaced, which
// every module of the process reads.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {
namespace {

DWORD StdHandleNumber(StdStream stream) {
    switch (stream) {
    case StdStream::Input:
        return STD_INPUT_HANDLE;
    case StdStream::Output:
        return STD_OUTPUT_HANDLE;
    case StdStream::Error:
        return STD_ERROR_HANDLE;
    }
    return STD_OUTPUT_HANDLE;
}

} // namespace

bool RedirectStdStream(StdStream stream, Handle target, Handle* saved) {
    if (target == nullptr || saved == nullptr) return false;
    FlushStandardOutput(); // what waits belongs where the stream went so far
    HANDLE before = GetStdHandle(StdHandleNumber(stream));
    if (!SetStdHandle(StdHandleNumber(stream), static_cast<HANDLE>(target))) return false;
    *saved = static_cast<Handle>(before);
    return true;
}

void RestoreStdStream(StdStream stream, Handle saved) {
    FlushStandardOutput();
    SetStdHandle(StdHandleNumber(stream), static_cast<HANDLE>(saved));
}

const char16_t* NullDeviceName() {
    return u"NUL";
}

} // namespace sys
