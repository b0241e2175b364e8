// Process-wide state set up when the plug-in is loaded and torn down at shutdown.
#pragma once

#include "sys/sys.h"

// Any address inside this library; the library's module handle on Windows.
extern const void* ModuleInstance;

// The console screen buffer ("conout$"), or null when no console could be opened.
extern sys::Handle ConsoleOut;

// Buffer sizes shared by the frame: expansion texts, usage texts, file paths.
constexpr int kTextCapacity = 8192;
constexpr int kUsageCapacity = 1024;
constexpr int kPathCapacity = 32768;
