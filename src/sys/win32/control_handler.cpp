// The console control handler: the system calls it on its own thread for Ctrl-C, Ctrl-Break and
// the closing events.
#include <atomic>

#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {
namespace {

std::atomic<ControlHandler> Installed{nullptr};

BOOL WINAPI Dispatch(DWORD event) {
    ControlHandler handler = Installed.load();
    return handler != nullptr && handler(event) != 0 ? TRUE : FALSE;
}

} // namespace

bool AddControlHandler(ControlHandler handler) {
    if (handler == nullptr) return false;
    if (Installed.exchange(handler) != nullptr) return true; // Dispatch is registered already
    if (SetConsoleCtrlHandler(Dispatch, TRUE)) return true;
    Installed.store(nullptr);
    return false;
}

bool RemoveControlHandler(ControlHandler handler) {
    ControlHandler expected = handler;
    if (handler == nullptr || !Installed.compare_exchange_strong(expected, nullptr)) return false;
    return SetConsoleCtrlHandler(Dispatch, FALSE) != 0;
}

} // namespace sys
