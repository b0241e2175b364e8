// Shared by the console output routines: the window height that paging uses, and writes that
// bypass standard output.
#pragma once

#include <cstdint>

#include "sys/sys.h"

// The rows of standard output's console window when they are between 10 and 100; false when
// standard output is no console or the window is outside that range.
[[nodiscard]] bool WindowRowsForPaging(uint32_t* rows);

// Writes the text straight to the console device (ConsoleOut), never to a redirected output.
// What the console does not take is lost, as the host's own console output would be: the
// prompt, the mark or a coloured run is missing, and the command goes on.
void WriteToConsoleDevice(const char16_t* text);

// Sets the attribute of the console behind the handle. A colour that cannot be set leaves the
// text in the colour it has: nothing is lost, so nothing is reported.
void SetConsoleColor(sys::Handle console, uint16_t attribute);
