// Character class and case of single UTF-16 units, from a private C.UTF-8 locale object so that
// the process's global locale is never consulted or changed. Also used by the test backend.
#pragma once

#include <clocale>
#include <locale.h>
#include <string>
#include <string_view>
#include <wctype.h>

namespace sys::posix {

inline locale_t UnicodeCtype() {
    // Made once and kept for the life of the process. Without C.UTF-8 the plain C locale still
    // classifies and folds ASCII.
    static const locale_t ctype = [] {
        locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        return made != locale_t{} ? made : newlocale(LC_CTYPE_MASK, "C", locale_t{});
    }();
    return ctype;
}

inline bool IsSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// A mapped unit stays a unit: surrogates in, or anything but one BMP character out, keep c.
inline char16_t MappedOrSame(char16_t c, wint_t mapped) {
    if (IsSurrogate(c) || mapped > 0xFFFF || (mapped >= 0xD800 && mapped <= 0xDFFF)) return c;
    return static_cast<char16_t>(mapped);
}

// White space as Windows classifies it (iswspace there): Unicode's White_Space without U+0085.
// The C library's class here leaves out the no-break spaces U+00A0, U+2007 and U+202F, which
// the DLLs trim and split at like any blank.
inline bool IsSpaceUnit(char16_t c) {
    if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
    if (c < 0xA0) return false;
    return c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

inline char16_t UpperUnit(char16_t c) {
    return MappedOrSame(c, towupper_l(static_cast<wint_t>(c), UnicodeCtype()));
}

inline char16_t LowerUnit(char16_t c) {
    return MappedOrSame(c, towlower_l(static_cast<wint_t>(c), UnicodeCtype()));
}

// A name folded to upper case unit by unit: names that differ only in case fold alike, as
// Windows compares environment, registry and key names. The key of an index by name.
inline std::u16string FoldedName(std::u16string_view name) {
    std::u16string key(name);
    for (char16_t& unit : key) unit = UpperUnit(unit);
    return key;
}

// Names that differ only in case are the same name, as Windows compares environment names.
inline bool SameNameNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperUnit(a[i]) != UpperUnit(b[i])) return false;
    return true;
}

} // namespace sys::posix
