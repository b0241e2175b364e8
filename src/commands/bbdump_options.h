// The readers of BBDUMP's option values. Each reports its own errors (the option text is
// upper-cased in place where the message shows it so) and tells the command how to go on.
#pragma once

#include <cstdint>

namespace dump {

// Outcomes of an option reader.
constexpr int kOptionOk = 0;
constexpr int kOptionFailed = 1;    // the command ends with 1
constexpr int kOptionBadValue = -1; // the command ends with -1
constexpr int kOptionHelpShown = 2; // a help text was written; the command ends with 0

void UpperCaseInPlace(char16_t* text);

// /F: the numeric base (0 hexadecimal, 1 octal, 2 decimal, 3 signed). Its help text also ends
// the command with 1.
[[nodiscard]] int ParseFormatOption(char16_t* option, uint32_t* format);
// /G: digits of the address field, 0 or 4 to 16.
[[nodiscard]] int ParseAddressWidthOption(char16_t* option, uint32_t* width);
// /K: bytes per line, at most 80; 0 fits the console device's window.
[[nodiscard]] int ParseHexWidthOption(char16_t* option, uint32_t* hexWidth, uint32_t* flags);
// /ML: most lines.
[[nodiscard]] int ParseMaxLinesOption(char16_t* option, uint32_t* maxLines);
// /N: the letters of the features to turn off.
[[nodiscard]] int ParseFeatureOption(char16_t* option, uint32_t* flags, bool* noHighlight);
// /Z with a value: the replacement character.
[[nodiscard]] int ParseReplacementOption(char16_t* option, uint32_t* replacement);
// /CP: a single-byte code page; fills the table.
[[nodiscard]] int ParseCodePageOption(char16_t* option, uint32_t* codePage, char16_t* table);

} // namespace dump
