// Who the plug-in is: name, author, version and the features it announces.
#pragma once

#include "frame/buffer_address.h"

// The version comes from the project's one statement of it, CMakeLists.txt's project(VERSION),
// which the build passes to every compiler call.
#if !defined(KV_VERSION_MAJOR) || !defined(KV_VERSION_MINOR) || !defined(KV_VERSION_PATCH) ||      \
    !defined(KV_VERSION_TWEAK)
#error "the build passes the version as KV_VERSION_MAJOR, _MINOR, _PATCH and _TWEAK"
#endif

namespace plugin {

inline constexpr char16_t kName[] = u"Korvanite";
// The author GetPluginInfo names; the DLL's version resource gives it as CompanyName.
inline constexpr char16_t kAuthor[] = u"The Korvanite developers";
inline constexpr int kMajor = KV_VERSION_MAJOR;
inline constexpr int kMinor = KV_VERSION_MINOR;
inline constexpr int kBuild = KV_VERSION_PATCH;
inline constexpr int kRevision = KV_VERSION_TWEAK;
// The platform of the version lines follows the address contract the build keeps.
#if defined(KV_WIDE_ADDRESSES)
inline constexpr char16_t kPlatform[] = u"x64";
#else
inline constexpr char16_t kPlatform[] = u"x86";
#endif

// "bbdump,bblist,@balloc,...": the table's names, each with its kind's prefix, a comma before
// each; the list starts after the first comma.
inline constexpr char16_t kCommaFeatureList[] =
#define KV_COMMAND(name, ...) u"," #name
#define KV_FUNCTION(name, ...) u",@" #name
#define KV_VARIABLE(name, ...) u",_" #name
#include "frame/features.def"
    ;
inline constexpr const char16_t* kFeatureList = kCommaFeatureList + 1;

} // namespace plugin
