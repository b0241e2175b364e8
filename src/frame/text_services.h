// Text services shared by the features: digit grouping, usage printing, names and blanks.
#pragma once

#include <cstdint>

// Replaces a number text by its grouped form through the host's @COMMA. 0 done; 1 text too long;
// 2 the expansion failed; 3 the result does not fit in `capacity`; -1 null text. On every
// failure the text is unchanged.
[[nodiscard]] int CommaFormatText(char16_t* text, int capacity);

// The grouped form of a value in one static buffer that the next call overwrites.
const char16_t* CommaFormatU64(uint64_t value);

// Prints a command's usage text and, when asked, the plug-in's and the module's version lines.
int ShowCommandUsage(const char16_t* usage, const char* modulePath, const char* moduleVersion,
                     int withVersion);

// An ASCII text of the plug-in's own, converted with the ANSI code page into `out` (`capacity`
// units, terminator included), as the protocol asks. When the system cannot convert it (no
// memory), the text is widened as it is: ASCII reads the same in every ANSI code page.
void AnsiText(const char* ascii, char16_t* out, int capacity);

// The file name part of a path (a pointer into it), or null for a null or empty path.
const char16_t* FileNamePart(const char16_t* path);

// Removes leading and trailing white space in place. 0, or -1 for null.
int TrimBlanks(char16_t* text);
