// Whether plughost takes the address space and heap room below 4 GiB out of use on x64 (see
// sys::ReserveLowAddressSpace): it does, so that the tests meet handles that 32 bits cannot
// hold, unless PLUGHOST_KEEP_LOW_HEAP is set (to anything), so that one run can show where
// Windows itself puts a plug-in's blocks.
#pragma once

#include "sys/sys.h"

namespace host {

inline constexpr char16_t kKeepLowHeapVariable[] = u"PLUGHOST_KEEP_LOW_HEAP";

inline bool TakesLowHeapRoom() {
    static const bool takes = sys::GetEnv(kKeepLowHeapVariable, nullptr, 0) == 0;
    return takes;
}

} // namespace host
