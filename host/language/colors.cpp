// Colour descriptions and console attributes.
#include "language/colors.h"

#include "language/words.h"
#include "text/u16.h"

#include <vector>

namespace host {

namespace {

constexpr int kBright = 8;

constexpr std::u16string_view kColorNames[] = {u"black", u"blue",    u"green",  u"cyan",
                                               u"red",   u"magenta", u"yellow", u"white"};

std::vector<std::u16string_view> SplitWords(std::u16string_view text) {
    std::vector<std::u16string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

int ColorNumber(std::u16string_view word) {
    for (int n = 0; n < 8; ++n)
        if (text::EqualNoCase(word, kColorNames[n])) return n;
    if (word.empty() || word.size() > 2) return -1;
    int value = 0;
    for (char16_t c : word) {
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c - u'0');
    }
    return value <= 15 ? value : -1;
}

// One colour at words[at]: an optional "bright", then a name or number.
bool TakeColor(const std::vector<std::u16string_view>& words, size_t& at, int& color) {
    bool bright = at < words.size() && text::EqualNoCase(words[at], u"bright");
    if (bright) ++at;
    if (at >= words.size()) return false;
    color = ColorNumber(words[at++]);
    if (color < 0) return false;
    if (bright) color |= kBright;
    return true;
}

// Windows numbers blue as 1 and red as 4; ANSI the other way round.
int AnsiHue(unsigned color) {
    return int(((color & 1) << 2) | (color & 2) | ((color & 4) >> 2));
}

} // namespace

bool ParseColorText(std::u16string_view text, ColorPair& colors) {
    std::vector<std::u16string_view> words = SplitWords(text);
    size_t at = 0;
    ColorPair parsed;
    if (!TakeColor(words, at, parsed.foreground)) return false;
    if (at < words.size()) {
        if (!text::EqualNoCase(words[at++], u"on")) return false;
        if (!TakeColor(words, at, parsed.background)) return false;
    }
    if (at != words.size()) return false;
    colors = parsed;
    return true;
}

std::u16string AnsiColorSequence(unsigned attribute) {
    attribute &= 0xFF;
    if (attribute == kDefaultAttribute) return u"\x1b[0m";
    unsigned fg = attribute & 0xF;
    unsigned bg = attribute >> 4;
    std::u16string sequence = u"\x1b[0;";
    sequence += DecimalText((fg & kBright ? 90 : 30) + AnsiHue(fg));
    sequence += u';';
    sequence += DecimalText((bg & kBright ? 100 : 40) + AnsiHue(bg));
    sequence += u'm';
    return sequence;
}

} // namespace host
