// The argument checks that @BPEEKX, @BPOKEX and @BMODVAL share, each reporting its own message.
// The arguments come from a split with ArgCommas and ArgUpperCase, so the texts that messages
// quote are already upper-cased. Every check returns false after it reported a failure.
#pragma once

#include <cstdint>

#include "frame/buffer_address.h"
#include "frame/function_start.h"

#include "values/value_format.h"

// The word a call names: the buffer, its size, and the word's offset and size in it.
struct WordPlace {
    BufferAddress address;
    uint32_t bufferSize;
    uint32_t offset;
    int wordSize;
};

// The word sizes a function takes: an integer's 1 to 8 bytes, or a floating-point number's 4
// or 8.
enum class WordSizes { Integer, Floating };

// Arguments 1 and 2 in order, after the handle of `buffer`: offset missing or invalid, word size
// missing, invalid or not one of `sizes`.
bool ReadWordPlace(const BufferArgument& buffer, WordSizes sizes, WordPlace* place);

// How @BPEEKX, @BPOKEX and @BMODVAL start, and with floating-point sizes @BPEEKF and @BPOKEF:
// the text split at commas and upper-cased, and the word its handle, offset and word size name
// (ReadWordPlace). 0, or the export's result.
int BeginWordFunction(HostChar* argument, char16_t** text, WordPlace* place,
                      WordSizes sizes = WordSizes::Integer);

// How @BPEEKF and @BPOKEF start: BeginWordFunction with the word sizes of a floating-point
// number, then the flags argument at `flagsIndex`. 0, or the export's result.
int BeginFloatFunction(HostChar* argument, char16_t** text, WordPlace* place, int flagsIndex,
                       uint32_t* flags);

// An optional flags argument (0 when not given).
[[nodiscard]] bool ReadFlagsArgument(int index, uint32_t* flags);

// An optional format argument (OutputFormat::Unsigned when not given).
[[nodiscard]] bool ReadFormatArgument(int index, OutputFormat* format);

// The value argument for a word of N bytes: signed when `flags` has SignedValue or the text
// begins with "+" or "-", else unsigned, and within that range of N bytes. A signed value
// comes back as its two's-complement bit pattern.
[[nodiscard]] bool ReadValueArgument(int index, int n, uint32_t flags, uint64_t* value);

// The value argument for a floating-point number of N bytes (4 or 8): its bits, rounded to the
// nearest number of that size. A finite value too large for it is refused.
[[nodiscard]] bool ReadFloatArgument(int index, int n, uint64_t* bits);

// Whether the word lies inside its buffer. If not, reports `firstLine` and the range line
// with the offset, the word size and the buffer size.
[[nodiscard]] bool WordInsideBuffer(const WordPlace& place, const char16_t* firstLine);

// The word's first byte.
uint8_t* WordAt(const WordPlace& place);
