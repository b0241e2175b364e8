// BBDUMP's hot loops with SSE2, which every x64 processor and every x86 processor that runs a
// supported Windows has: the offset's eight digits at once, and the raw text column eight bytes
// at a time; and with SSSE3's byte shuffle where the processor has it, the hexadecimal columns
// eight bytes at a time. Each has a scalar twin that gives the same units, which a build without
// SSE2 takes and which the tests hold the vector loops to.
#pragma once

#include <cstdint>

namespace dump {

#if defined(__SSE2__)
constexpr bool kVectorLoops = true;
#else
constexpr bool kVectorLoops = false;
#endif

// The eight hexadecimal digits of `value`, lower or upper case, as eight units at `out`.
// Without SSE2, false and nothing written.
[[nodiscard]] bool PutHexDigits8(uint32_t value, bool upperCase, char16_t* out);

// The hexadecimal columns of `groups` groups of eight bytes, each byte as two digits and a
// blank and each group followed by one more blank, at `out`. Returns the end of what was
// written, or nullptr (nothing written) where the processor lacks SSSE3 or the build SSE2.
char16_t* PutHexGroupsOf8Runs(const uint8_t* bytes, uint32_t groups, bool upperCase, char16_t* out);

// The raw text column of whole runs of eight bytes: ASCII as itself, 0x80 and above as a blank,
// 0 and the controls as `replacement` or, with `pictures`, as their control pictures. Returns the
// bytes done (a multiple of 8 up to `count`; 0 without SSE2), one unit each at `out`.
uint32_t PutRawColumnRuns(const uint8_t* bytes, uint32_t count, char16_t replacement, bool pictures,
                          char16_t* out);

} // namespace dump
