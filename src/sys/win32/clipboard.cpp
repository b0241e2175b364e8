// The Unicode text clipboard.
#include <cstring>

#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {
namespace {

// The data block locked by LockClipboardText; the clipboard is held for one read at a time.
HGLOBAL lockedText = nullptr;

// A window to own what the host puts on the clipboard when the console window cannot: a console
// program may have none, and without an owner Windows may refuse the data.
HWND MessageOnlyWindow() {
    static HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
    return window;
}

bool PutOnClipboard(HWND owner, const char16_t* text, size_t length) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (length + 1) * sizeof(char16_t));
    if (block == nullptr) return false;
    auto* units = static_cast<char16_t*>(GlobalLock(block));
    if (units == nullptr) {
        GlobalFree(block);
        return false;
    }
    if (length != 0) std::memcpy(units, text, length * sizeof(char16_t));
    units[length] = 0;
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    // Once set, the block belongs to the clipboard.
    const bool set = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    if (!set) GlobalFree(block);
    return set;
}

} // namespace

bool OpenClipboardForReading() {
    // A stale code must not pass for the reason of a failure that sets none.
    SetLastError(0);
    return OpenClipboard(GetConsoleWindow()) != FALSE;
}

const char16_t* LockClipboardText(size_t* units) {
    SetLastError(0);
    if (units == nullptr) return nullptr;
    *units = 0;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) return nullptr;
    const SIZE_T bytes = GlobalSize(data);
    if (bytes / sizeof(char16_t) == 0) return nullptr;
    const void* text = GlobalLock(data);
    if (text == nullptr) return nullptr;
    lockedText = data;
    *units = bytes / sizeof(char16_t);
    return static_cast<const char16_t*>(text);
}

void UnlockClipboardText() {
    if (lockedText != nullptr) GlobalUnlock(lockedText);
    lockedText = nullptr;
}

void CloseClipboardAfterReading() {
    UnlockClipboardText();
    CloseClipboard();
}

bool SetClipboardText(const char16_t* text, size_t length) {
    if (text == nullptr && length != 0) return false;
    if (PutOnClipboard(GetConsoleWindow(), text, length)) return true;
    HWND window = MessageOnlyWindow();
    return window != nullptr && PutOnClipboard(window, text, length);
}

} // namespace sys
