// Interruption by Ctrl-C and Ctrl-Break: the flag the console control handler sets.
#pragma once

#include <cstdint>

extern volatile int32_t CtrlCPressed;
extern int32_t CtrlHandlerInstalled;

void InstallCtrlHandler();
void RemoveCtrlHandler();
