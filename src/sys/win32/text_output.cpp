// Standard streams and text output: a console gets UTF-16 through WriteConsoleW, a file or pipe
// gets UTF-8.
#include <string>

#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {
namespace {

// Pieces small enough for every console host, and for one conversion buffer.
constexpr size_t kPieceUnits = 8192;

bool WriteToConsole(HANDLE console, const char16_t* text, size_t length) {
    while (length > 0) {
        size_t piece = win32::PieceLength(text, length, kPieceUnits);
        DWORD written = 0;
        if (!WriteConsoleW(console, win32::Wide(text), static_cast<DWORD>(piece), &written,
                           nullptr) ||
            written == 0)
            return false;
        text += written;
        length -= written;
    }
    return true;
}

bool WriteAllBytes(HANDLE file, const char* bytes, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) || written == 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool WriteAsUtf8(HANDLE file, const char16_t* text, size_t length) {
    std::string bytes;
    while (length > 0) {
        size_t piece = win32::PieceLength(text, length, kPieceUnits);
        int needed = WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text), static_cast<int>(piece),
                                         nullptr, 0, nullptr, nullptr);
        if (needed <= 0) return false;
        bytes.resize(static_cast<size_t>(needed));
        if (WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text), static_cast<int>(piece),
                                bytes.data(), needed, nullptr, nullptr) != needed)
            return false;
        if (!WriteAllBytes(file, bytes.data(), bytes.size())) return false;
        text += piece;
        length -= piece;
    }
    return true;
}

} // namespace

Handle StdHandle(StdStream stream) {
    DWORD which = STD_INPUT_HANDLE;
    if (stream == StdStream::Output)
        which = STD_OUTPUT_HANDLE;
    else if (stream == StdStream::Error)
        which = STD_ERROR_HANDLE;
    return win32::HandleOf(GetStdHandle(which));
}

bool IsConsole(Handle handle) {
    DWORD mode = 0;
    return handle != nullptr && GetConsoleMode(static_cast<HANDLE>(handle), &mode) != 0;
}

bool WriteText(Handle handle, const char16_t* text, size_t length) {
    if (handle == nullptr || (text == nullptr && length != 0)) return false;
    if (length == 0) return true;
    if (IsConsole(handle)) return WriteToConsole(static_cast<HANDLE>(handle), text, length);
    return WriteAsUtf8(static_cast<HANDLE>(handle), text, length);
}

} // namespace sys
