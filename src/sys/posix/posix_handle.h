// A posix descriptor as a sys::Handle: the descriptor plus one, so that a null handle is "none".
#pragma once

#include <cstdint>

#include "sys/sys.h"

namespace sys::posix {

inline Handle HandleOf(int fd) {
    return fd < 0 ? nullptr : reinterpret_cast<Handle>(static_cast<intptr_t>(fd) + 1);
}

// The descriptor behind a handle, -1 for none.
inline int DescriptorOf(Handle handle) {
    intptr_t value = reinterpret_cast<intptr_t>(handle);
    return value <= 0 || value - 1 > INT32_MAX ? -1 : static_cast<int>(value - 1);
}

} // namespace sys::posix
