// The console's mode, window size and colours.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

bool ConsoleMode(Handle handle, uint32_t* mode) {
    DWORD value = 0;
    if (handle == nullptr || !GetConsoleMode(static_cast<HANDLE>(handle), &value)) return false;
    if (mode != nullptr) *mode = value;
    return true;
}

bool ConsoleWindowRows(Handle handle, uint32_t* rows) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (handle == nullptr || !GetConsoleScreenBufferInfo(static_cast<HANDLE>(handle), &info))
        return false;
    if (rows != nullptr)
        *rows = static_cast<uint32_t>(info.srWindow.Bottom - info.srWindow.Top + 1);
    return true;
}

bool ConsoleTextAttribute(Handle handle, uint16_t* attribute) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (handle == nullptr || !GetConsoleScreenBufferInfo(static_cast<HANDLE>(handle), &info))
        return false;
    if (attribute != nullptr) *attribute = info.wAttributes;
    return true;
}

bool SetConsoleTextAttribute(Handle handle, uint16_t attribute) {
    return handle != nullptr &&
           ::SetConsoleTextAttribute(static_cast<HANDLE>(handle), attribute) != 0;
}

} // namespace sys
