// The plug-in's exports: the plug-in protocol and one entry point per feature.
//
// On Windows they follow the host's __stdcall convention and are named by the module definition
// in src/resources/; natively they are plain C symbols of the shared library.
#pragma once

#include "frame/host_services.h"

#if defined(_WIN32)
#define KV_EXPORT extern "C"
#define KV_API __stdcall
#else
#define KV_EXPORT extern "C" __attribute__((visibility("default")))
#define KV_API
#endif

// The plug-in information record, in natural alignment: six pointers, the three version
// numbers, then two pointer-wide fields that the host fills (a module handle and name). 44 bytes
// on x86, 80 on x64.
struct PluginInfoRecord {
    const HostChar* name;
    const HostChar* author;
    const HostChar* email;
    const HostChar* webPage;
    const HostChar* description;
    const HostChar* features;
    int major;
    int minor;
    int build;
    uintptr_t reserved1;
    uintptr_t reserved2;
};
#if defined(_WIN64)
static_assert(sizeof(PluginInfoRecord) == 80);
#elif defined(_WIN32)
static_assert(sizeof(PluginInfoRecord) == 44);
#endif

KV_EXPORT int KV_API InitializePlugin();
KV_EXPORT int KV_API ShutdownPlugin(int removeRecords);
KV_EXPORT PluginInfoRecord* KV_API GetPluginInfo();
KV_EXPORT int KV_API Usage(const HostChar* name, HostChar* out);

// Shows the help page of a feature: 0 when the name is no feature, else 1.
KV_EXPORT int KV_API Help(const HostChar* name);

// `_clver$`: exported natively under that name, on Windows under the decoration a C++ compiler
// gives `int _clver$(wchar_t*)`: "?_clver$@@YGHPA_W@Z" (x86, __stdcall), "?_clver$@@YAHPEA_W@Z"
// (x64).
#if defined(_WIN32)
KV_EXPORT int KV_API ClverExport(HostChar* out);
#else
KV_EXPORT int KV_API ClverExport(HostChar* out) __asm__("_clver$");
#endif

// The signature every feature export shares.
using FeatureExport = int(KV_API*)(HostChar* text);
