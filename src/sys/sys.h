// The one seam to the operating system.
//
// Everything the plug-in and the stand-in host need from the OS is declared here in their own
// words. Three backends implement it: win32 (the product), posix (the native Linux port) and a fake
// for tests that can inject faults. Nothing outside src/sys/ includes a platform header.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define KV_SYS_API
#elif defined(KV_BUILDING_SYS)
#define KV_SYS_API __attribute__((visibility("default")))
#else
#define KV_SYS_API
#endif

namespace sys {

// An opaque OS handle: a Win32 HANDLE, or a posix descriptor plus one (so that 0 is "none").
using Handle = void*;

enum class StdStream { Input, Output, Error };

// ---- Standard streams and text output --------------------------------------------------------

KV_SYS_API Handle StdHandle(StdStream stream);

// True when the handle is a console (a terminal on posix) rather than a file or pipe.
KV_SYS_API bool IsConsole(Handle handle);

// Writes UTF-16 text: to a console as text of the console, to a file or pipe as UTF-8.
// Returns false when the write failed.
KV_SYS_API bool WriteText(Handle handle, const char16_t* text, size_t length);

// ---- Environment and process -----------------------------------------------------------------

// As GetEnvironmentVariableW: the value's length without terminator when it fits in `capacity`
// (terminator included); the size needed, terminator included, when it does not (nothing
// written); 0 when the variable is not set. Names compare without regard to case.
KV_SYS_API uint32_t GetEnv(const char16_t* name, char16_t* out, uint32_t capacity);

// Sets a variable (replacing any of the same name in any case); a null or empty value removes it.
KV_SYS_API bool SetEnv(const char16_t* name, const char16_t* value);

KV_SYS_API uint32_t ProcessId();
KV_SYS_API void SleepMillis(uint32_t millis);

// Milliseconds since some fixed moment, wrapping at 2^32 (GetTickCount).
KV_SYS_API uint32_t TickCount();

// ---- Code pages and character classes --------------------------------------------------------

// The system's ANSI and OEM code pages (GetACP, GetOEMCP). posix reports those of a Western
// European Windows system: 1252 and 437.
KV_SYS_API uint32_t AnsiCodePage();
KV_SYS_API uint32_t OemCodePage();

// As MultiByteToWideChar without flags: converts `length` bytes (-1: up to and including the
// terminating zero) into at most `capacity` units. Returns the units written, 0 on failure
// (unknown code page, or no room). With `capacity` 0 it writes nothing and returns the units
// needed.
KV_SYS_API int MultiByteToWide(uint32_t codePage, const char* bytes, int length, char16_t* out,
                               int capacity);

KV_SYS_API bool IsSpace(char16_t c);
KV_SYS_API char16_t ToUpper(char16_t c);
KV_SYS_API char16_t ToLower(char16_t c);

// ---- Console device --------------------------------------------------------------------------

// Opens "conout$" (posix: /dev/tty) for reading and writing, shared for writing only.
// Returns null when it cannot be opened.
KV_SYS_API Handle OpenConsoleDevice();
KV_SYS_API void CloseHandle(Handle handle);

// ---- Process heap ----------------------------------------------------------------------------
// Blocks of the process's default heap. posix: zero-filled blocks mapped below 4 GiB so that an
// address always fits in 32 bits; the table of live blocks is shared by host and plug-in.

KV_SYS_API void* HeapAllocZeroed(size_t size);
KV_SYS_API bool HeapRelease(void* block);

// The size of the live block that starts exactly at `address`; 0 for any other address. Safe
// for every address.
KV_SYS_API size_t HeapBlockSize(const void* address);

// ---- Files and paths -------------------------------------------------------------------------

// The fully qualified form of `name` into `out` (capacity in units, terminator included).
// Returns the length, or 0 when the name cannot be resolved or does not fit.
KV_SYS_API uint32_t FullPathName(const char16_t* name, char16_t* out, uint32_t capacity);

// The full file name of the running program.
KV_SYS_API uint32_t ExecutablePath(char16_t* out, uint32_t capacity);

// The full file name of the module (shared library) that contains `address`.
KV_SYS_API uint32_t ModulePathOf(const void* address, char16_t* out, uint32_t capacity);

// Reads a whole file into a new block owned by the caller (release with FreeFileBytes).
// Returns false when the file cannot be read.
KV_SYS_API bool ReadWholeFile(const char16_t* path, char** bytes, size_t* size);
KV_SYS_API void FreeFileBytes(char* bytes);

// ---- Shared libraries ------------------------------------------------------------------------

KV_SYS_API Handle LoadSharedLibrary(const char16_t* path);
KV_SYS_API void* FindSymbol(Handle library, const char* name);
KV_SYS_API void FreeSharedLibrary(Handle library);

// The platform's file name of the plug-in library, for hosts that look for it beside themselves.
KV_SYS_API const char16_t* PluginLibraryName();

} // namespace sys
