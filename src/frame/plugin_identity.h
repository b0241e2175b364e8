// Who the plug-in is: name, version and the features it announces.
#pragma once

#include "frame/buffer_address.h"

namespace plugin {

inline constexpr char16_t kName[] = u"Korvanite";
inline constexpr int kMajor = 0;
inline constexpr int kMinor = 66;
inline constexpr int kBuild = 4;
// The platform of the version lines follows the address contract the build keeps.
#if defined(KV_WIDE_ADDRESSES)
inline constexpr char16_t kPlatform[] = u"x64";
#else
inline constexpr char16_t kPlatform[] = u"x86";
#endif

inline constexpr char16_t kFeatureList[] =
    u"bbdump,bblist,@balloc,@bfill,@bfree,@bfreeall,@bload,@bmemcmp,@bmemcpy,@bmodval,@bpeekx,"
    u"@bpokex,@brandfill,@bsave,_bblasterr,_bloadsize";

} // namespace plugin
