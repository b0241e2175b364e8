// The services that the host command processor offers its plug-ins (TakeCmd.dll on Windows,
// libTakeCmd.so natively). The plug-in relies on nothing but these contracts.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define KV_HOSTAPI __stdcall
#define KV_HOSTVA __cdecl
using HostChar = wchar_t;
#if defined(KV_BUILDING_HOST)
#define KV_HOST_IMPORT __declspec(dllexport)
#else
#define KV_HOST_IMPORT __declspec(dllimport)
#endif
#else
#define KV_HOSTAPI
#define KV_HOSTVA
using HostChar = char16_t;
#define KV_HOST_IMPORT __attribute__((visibility("default")))
#endif

static_assert(sizeof(HostChar) == sizeof(char16_t), "host text is UTF-16");

extern "C" {

// Expands variables, variable functions and %% in place. 0 on success; nonzero when the
// expansion failed (the text is then unchanged). The text buffer holds kHostExpandCapacity units.
KV_HOST_IMPORT int KV_HOSTAPI ExpandVariables(HostChar* text, int flag);

// Formatted output to a handle (diagnostics go to the standard error handle) and to standard
// output. %q takes an unsigned 64-bit value: on x86 as two 32-bit words, low word first, on
// x64 in one 8-byte slot, which is how each passes a 64-bit argument anyway.
KV_HOST_IMPORT int KV_HOSTVA Qprintf(void* handle, const HostChar* format, ...);
KV_HOST_IMPORT int KV_HOSTVA Printf(const HostChar* format, ...);

// Writes the text unchanged to standard output.
KV_HOST_IMPORT int KV_HOSTAPI QPuts(const HostChar* text);

// The size of a block the host accepts as a binary buffer, pointer-wide (ULONG_PTR); 0 or all
// bits set when it is none.
KV_HOST_IMPORT uintptr_t KV_HOSTAPI QueryMemSize(const void* address);

// The fully qualified form of a file name into `out` (kHostPathCapacity units); empty when the
// name cannot be resolved.
KV_HOST_IMPORT int KV_HOSTAPI QueryTrueName(const HostChar* name, HostChar* out);

// The host's current console colour as a character attribute (first output); the second
// output receives the default colour.
KV_HOST_IMPORT void KV_HOSTAPI GetAttribute(unsigned int* current, unsigned int* normal);

// Parses a colour description ("[bright] name|0-15 [on [bright] name|0-15]"). Outputs that
// the text does not give stay as the caller preset them (-1). Returns 0 when the whole text
// was a colour description.
KV_HOST_IMPORT int KV_HOSTAPI ParseColors(const HostChar* text, int* foreground, int* background);

// Makes the attribute the host's current output colour.
KV_HOST_IMPORT void KV_HOSTAPI SetColors(int attribute);

KV_HOST_IMPORT int KV_HOSTAPI tty_yield(int flag);
KV_HOST_IMPORT void KV_HOSTAPI EatKeystrokes();

} // extern "C"

// Capacity the host assumes for ExpandVariables' buffer and for QueryTrueName's output.
constexpr int kHostExpandCapacity = 8192;
constexpr int kHostPathCapacity = 32768;

// The plug-in's UTF-16 text as the host's character type, and back.
inline HostChar* AsHost(char16_t* s) {
    return reinterpret_cast<HostChar*>(s);
}
inline const HostChar* AsHost(const char16_t* s) {
    return reinterpret_cast<const HostChar*>(s);
}
inline char16_t* FromHost(HostChar* s) {
    return reinterpret_cast<char16_t*>(s);
}
inline const char16_t* FromHost(const HostChar* s) {
    return reinterpret_cast<const char16_t*>(s);
}
