// The stand-in host's entry point, exported by the services library.
//
// plughost.exe and TakeCmd.dll each carry their own static C++ runtime on Windows, so nothing
// but plain C types crosses between them.
#pragma once

#if defined(_WIN32)
#if defined(KV_BUILDING_HOST)
#define KV_HOST_ENGINE __declspec(dllexport)
#else
#define KV_HOST_ENGINE __declspec(dllimport)
#endif
#else
#define KV_HOST_ENGINE __attribute__((visibility("default")))
#endif

// Runs `plughost [-c LINE]... [SCRIPT [ARG...]]`, `plughost --check DIR...` or `plughost --help`
// and returns the process's exit status.
// argv[0] is the program name as it was started.
extern "C" KV_HOST_ENGINE int HostMain(int argc, const char16_t* const* argv);

#if !defined(_WIN32)
// The same with the UTF-8 arguments of a posix main.
extern "C" KV_HOST_ENGINE int HostMainUtf8(int argc, const char* const* argv);
#endif
