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

inline bool IsSpaceUnit(char16_t c) {
    return !IsSurrogate(c) && iswspace_l(static_cast<wint_t>(c), UnicodeCtype()) != 0;
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
