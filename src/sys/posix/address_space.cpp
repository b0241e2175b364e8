// The posix heap places its blocks by itself (above 4 GiB for 64-bit handles): nothing to keep.
#include "sys/sys.h"

namespace sys {

uint64_t ReserveLowAddressSpace() {
    return 0;
}

void TakeLowHeapRoom() {}

} // namespace sys
