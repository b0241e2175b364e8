// The width of the visible window of a console screen buffer.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

uint32_t ConsoleWindowColumns(Handle handle) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (handle == nullptr || !GetConsoleScreenBufferInfo(static_cast<HANDLE>(handle), &info))
        return 0;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? static_cast<uint32_t>(columns) : 0;
}

} // namespace sys
