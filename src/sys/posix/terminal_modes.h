// Raw mode of the terminal while keys are read from it, kept from outlasting the process or
// staying while it is stopped.
#pragma once

namespace sys::posix {

// Saves the modes of the terminal `fd` and sets raw mode (no line editing, no echo; the keys that
// raise signals still raise them). False when `fd` is no terminal or its modes cannot be set.
bool EnterRawMode(int fd);

// Puts the saved modes back.
void LeaveRawMode();

// Puts the saved modes back when raw mode is on, for a signal that ends the process. Safe inside
// a signal handler.
void PutBackTerminalModes();

// Whether raw mode was set again since the last call because the process continued after a stop.
bool TakeRawModeResumed();

} // namespace sys::posix
