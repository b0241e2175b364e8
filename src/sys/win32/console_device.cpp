// The console device "conout$": the console screen buffer even when standard output is
// redirected.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

Handle OpenConsoleDevice() {
    return win32::HandleOf(CreateFileW(L"conout$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
}

void CloseHandle(Handle handle) {
    if (handle != nullptr) ::CloseHandle(static_cast<HANDLE>(handle));
}

} // namespace sys
