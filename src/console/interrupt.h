// Interruption by Ctrl-C and Ctrl-Break: the flag the console control handler sets.
#pragma once

#include <cstdint>

// Set to 1 by ConsoleCtrlHandler on the system's thread (posix: in a signal handler); read and
// cleared by the output side. A single word that the handler only stores to.
extern volatile int32_t CtrlCPressed;
extern int32_t CtrlHandlerInstalled;

// The console control handler: while a command runs, Ctrl-C and Ctrl-Break set CtrlCPressed and
// count as handled (nonzero); every other event, and every event between commands (a handler
// that could not be removed yet), is left to the next handler (0).
int ConsoleCtrlHandler(uint32_t event);

void InstallCtrlHandler();
void RemoveCtrlHandler();
