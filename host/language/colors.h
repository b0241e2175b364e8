// Colour descriptions and console attributes.
#pragma once

#include <string>
#include <string_view>

namespace host {

// The console attribute the host starts with and reports as current.
inline constexpr unsigned kDefaultAttribute = 0x07;

struct ColorPair {
    int foreground = -1;
    int background = -1; // -1 when the description names none
};

// Parses "[bright] COLOUR [on [bright] COLOUR]", where COLOUR is black, blue, green, cyan, red,
// magenta, yellow or white (Windows numbering 0-7; bright adds 8) or a number 0-15. Case does
// not matter. False unless the whole text is such a description.
bool ParseColorText(std::u16string_view text, ColorPair& colors);

// The terminal escape sequence that shows a console attribute; the host's default attribute
// gives the terminal's own colours back.
std::u16string AnsiColorSequence(unsigned attribute);

} // namespace host
