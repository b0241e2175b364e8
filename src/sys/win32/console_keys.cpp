// Keys from the console's own input ("conin$", so also when standard input is redirected), read
// as input events without echo, and the state of single keys. The console input functions work
// in every console host; the C runtime's _kbhit sees no key in some (Wine's terminal console).
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {
namespace {

// A key that is no character comes as two codes, as _getwch gives it: 0xE0 for the keys of the
// enhanced keyboard (arrows, the editing block), 0 for the others (function keys), then the
// key's scan code.
constexpr uint32_t kEnhancedPrefix = 0xE0;
constexpr uint32_t kPlainPrefix = 0;
// What a prompt gets when no key can ever come: Enter lets it go on.
constexpr uint32_t kEnter = 13;
constexpr uint32_t kEscape = 27;

struct ConsoleInput {
    HANDLE handle = nullptr; // "conin$" while key input is on; null when there is none
    int depth = 0;
    DWORD savedMode = 0;
    bool modeSet = false;
    bool secondWaiting = false; // the scan code after a prefix already given
    uint32_t secondCode = 0;
};

ConsoleInput Input;

bool IsModifierOrLock(WORD virtualKey) {
    switch (virtualKey) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
        return true;
    }
    return false;
}

// A press of a key that answers a prompt: not a release, a mouse or window event, or a
// modifier or lock key alone.
bool IsKeyPress(const INPUT_RECORD& record) {
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) return false;
    return record.Event.KeyEvent.uChar.UnicodeChar != 0 ||
           !IsModifierOrLock(record.Event.KeyEvent.wVirtualKeyCode);
}

// The first code of a key press; the scan code of a key that is no character waits as the
// second.
uint32_t FirstCodeOf(const KEY_EVENT_RECORD& key) {
    if (key.uChar.UnicodeChar != 0) return static_cast<char16_t>(key.uChar.UnicodeChar);
    // Wine's terminal console gives Esc without its character.
    if (key.wVirtualKeyCode == VK_ESCAPE) return kEscape;
    Input.secondWaiting = true;
    Input.secondCode = key.wVirtualScanCode;
    return (key.dwControlKeyState & ENHANCED_KEY) != 0 ? kEnhancedPrefix : kPlainPrefix;
}

// Takes events that answer nothing out of the input until a key press is at its front. True
// also when the input cannot be read: nothing may wait for a key that cannot come.
bool KeyPressAtFront(HANDLE input) {
    for (;;) {
        INPUT_RECORD record{};
        DWORD count = 0;
        if (!PeekConsoleInputW(input, &record, 1, &count)) return true;
        if (count == 0) return false;
        if (IsKeyPress(record)) return true;
        if (!ReadConsoleInputW(input, &record, 1, &count)) return true;
    }
}

} // namespace

// Keys come one by one and unechoed, as for _getwch; processed input stays on, so that Ctrl-C
// still reaches the control handler instead of arriving as a key.
void BeginKeyInput() {
    if (Input.depth++ > 0) return;
    Input.handle = static_cast<HANDLE>(win32::HandleOf(
        CreateFileW(L"conin$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr)));
    if (Input.handle == nullptr) return;
    Input.modeSet = GetConsoleMode(Input.handle, &Input.savedMode) &&
                    SetConsoleMode(Input.handle, ENABLE_PROCESSED_INPUT);
}

void EndKeyInput() {
    if (Input.depth == 0 || --Input.depth > 0) return;
    if (Input.handle == nullptr) return;
    if (Input.modeSet) SetConsoleMode(Input.handle, Input.savedMode);
    Input.modeSet = false;
    ::CloseHandle(Input.handle);
    Input.handle = nullptr;
}

// A Windows console process is never stopped while it waits for keys.
bool KeyInputResumed() {
    return false;
}

bool KeyWaiting() {
    if (Input.secondWaiting) return true;
    BeginKeyInput();
    bool waiting = Input.handle == nullptr || KeyPressAtFront(Input.handle);
    EndKeyInput();
    return waiting;
}

uint32_t ReadKeyCode() {
    if (Input.secondWaiting) {
        Input.secondWaiting = false;
        return Input.secondCode;
    }
    BeginKeyInput();
    uint32_t code = kEnter;
    INPUT_RECORD record{};
    DWORD count = 0;
    while (Input.handle != nullptr && ReadConsoleInputW(Input.handle, &record, 1, &count)) {
        if (count == 1 && IsKeyPress(record)) {
            code = FirstCodeOf(record.Event.KeyEvent);
            break;
        }
    }
    EndKeyInput();
    return code;
}

void DiscardWaitingKeys() {
    Input.secondWaiting = false;
    BeginKeyInput();
    if (Input.handle != nullptr) FlushConsoleInputBuffer(Input.handle);
    EndKeyInput();
}

bool KeyIsDown(KeyName key) {
    int virtualKey = key == KeyName::Escape ? VK_ESCAPE : VK_CONTROL;
    return (static_cast<unsigned short>(GetKeyState(virtualKey)) & 0x8000) != 0;
}

} // namespace sys
