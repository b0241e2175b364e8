// Shared by the console output routines: the window height that paging uses, and writes that
// bypass standard output.
#pragma once

#include <cstdint>

// The rows of standard output's console window when they are between 10 and 100; false when
// standard output is no console or the window is outside that range.
bool WindowRowsForPaging(uint32_t* rows);

// Writes the text straight to the console device (ConsoleOut), never to a redirected output.
void WriteToConsoleDevice(const char16_t* text);
