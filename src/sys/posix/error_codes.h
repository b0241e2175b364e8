// The last error code of the posix backend: errno translated into the Windows error code that a
// batch file would see for the same failure, kept per thread as Windows keeps GetLastError.
#pragma once

#include <cstdint>

namespace sys::posix {

// The Windows error code for an errno value; 0 for 0.
uint32_t WindowsErrorOf(int error);

void SetLastErrorCode(uint32_t code);

// Sets the last error code from errno.
void SetLastErrorFromErrno();

} // namespace sys::posix
