// The outcome of the last file or clipboard transfer, which _BBLASTERR and _BLOADSIZE report.
// Written only by @BLOAD and @BSAVE; both are 0 when the library loads.
#pragma once

#include <cstdint>

// 0 after a successful transfer; after a failed one the system's error code (490 when that was
// 0).
extern int32_t LastError;

// The bytes of the last successful load; 0 after a failed one.
extern uint64_t LastLoadSize;
