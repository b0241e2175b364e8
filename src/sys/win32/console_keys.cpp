// Keys from the console input without echo, through the C runtime's console functions, and the
// state of single keys.
#include <conio.h>

#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

// The console input is read key by key already: nothing to switch.
void BeginKeyInput() {}
void EndKeyInput() {}

bool KeyWaiting() {
    return _kbhit() != 0;
}

uint32_t ReadKeyCode() {
    return static_cast<uint32_t>(_getwch()) & 0xFFFF;
}

void DiscardWaitingKeys() {
    FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
}

bool KeyIsDown(KeyName key) {
    int virtualKey = key == KeyName::Escape ? VK_ESCAPE : VK_CONTROL;
    return (static_cast<unsigned short>(GetKeyState(virtualKey)) & 0x8000) != 0;
}

} // namespace sys
