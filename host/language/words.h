// The small pieces of text the batch language is made of: blanks, quotes and decimal numbers.
#pragma once

#include <string>
#include <string_view>

namespace host {

std::u16string DecimalText(long long value);
bool IsBlank(char16_t c);
std::u16string_view TrimBlanksView(std::u16string_view text);
// The text without the double quotes around it, when it has them.
std::u16string_view WithoutQuotes(std::u16string_view text);

} // namespace host
