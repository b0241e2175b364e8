// Decoding fuzz inputs into argument texts: tokens that reach the syntax the features share.
#include "harness/fuzz_input.h"

#include "text/format.h"

#include <cstdio>
#include <iterator>

namespace fuzzing {
namespace {

// Units that separate, quote, escape, name units or signs, or that only look like blanks,
// digits or letters.
constexpr char16_t kSpecialUnits[] = {
    u' ',   u'\t',  u',',   u'"',   u'\\',  u'/',   u'[',   u']',   u'!',   u'-',   u'+',   u'x',
    u'X',   u'o',   u'O',   u'K',   u'M',   u'G',   u'k',   u'm',   u'g',   u'B',   u'W',   u'D',
    u'Q',   u':',   u'=',   u'0',   u'F',   u'\r',  u'\n',  0x00A0, 0x3000, 0x0130, 0x00DF, 0x00FF,
    0xD800, 0xDC00, 0xFFFF, 0xFEFF, 0x0660, 0xFF10, 0x0085, 0x2028, 0x1680, 0x017F, 0x212A, 0x0131,
};

// Numbers at the edges of 32 and 64 bits and of the host's buffer.
const char16_t* const kSpecialNumbers[] = {
    u"4294967296", u"18446744073709551616", u"9223372036854775808", u"0xFFFFFFFF", u"8192",
    u"65536",
};

void AppendHandle(std::u16string& text, BufferAddress address, bool plain) {
    char16_t digits[kHandleTextCapacity];
    if (plain)
        FormatHandle(digits, kHandleTextCapacity, address);
    else
        text::Format(digits, kHandleTextCapacity, u"%I64x", uint64_t{address});
    text += digits;
}

} // namespace

std::vector<std::u16string> DecodeTexts(const uint8_t* data, size_t size,
                                        const BufferAddress (&handles)[kHandleSlots]) {
    std::vector<std::u16string> texts(1);
    for (size_t at = 0; at < size; ++at) {
        std::u16string& text = texts.back();
        const uint8_t b = data[at];
        if (b == 0x00) {
            if (texts.size() == kMostTexts) break;
            texts.emplace_back();
        } else if (b < 0x80) {
            text.push_back(b);
        } else if (b >= 0xF0 && b <= 0xF7) {
            AppendHandle(text, handles[b & 3], b < 0xF4);
        } else if (b == 0xF8) {
            if (at + 2 >= size) break;
            text.push_back(static_cast<char16_t>(data[at + 1] | data[at + 2] << 8));
            at += 2;
        } else if (b == 0xF9) {
            if (at + 1 >= size) break;
            const char16_t unit = text.empty() ? u'0' : text.back();
            text.append(size_t{data[at + 1]} * 32, unit);
            ++at;
        } else if (b >= 0xFA) {
            text += kSpecialNumbers[b - 0xFA];
        } else {
            text.push_back(kSpecialUnits[(b - 0x80) % std::size(kSpecialUnits)]);
        }
        if (texts.back().size() > kMostTextUnits) texts.back().resize(kMostTextUnits);
    }
    return texts;
}

} // namespace fuzzing
