// The bounded formatter: printf conventions over UTF-16 text, the same on every build.
//
// Conversions: %s (UTF-16 text), %c, %d, %i, %u, %x, %X, %o, %f, %q, %%; flags "-", "0", "+",
// " " and "#"; width and precision, either may be "*"; size prefixes I64, ll, l and h. %q takes
// an unsigned 64-bit value (on x86 it arrives as two 32-bit words, low word first, which is how
// a 64-bit argument is passed anyway). A conversion it does not know is copied as it stands.
//
// text::Format checks its format against its arguments when the program is compiled, as {fmt}
// does: every directive must take an argument of its own type (below), and there must be one
// argument for each; a format that does not fits no call and fails to compile.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace text {

// Formats into `out`, writing at most `capacity` units including the terminator, and always
// terminates when `capacity` is not 0. Returns the length the whole text would have (without
// the terminator): a result of `capacity` or more means the text was cut. FormatV and
// FormatUnchecked take any format; their callers answer for it.
size_t FormatV(char16_t* out, size_t capacity, const char16_t* format, va_list args);
size_t FormatUnchecked(char16_t* out, size_t capacity, const char16_t* format, ...);

namespace format_check {

// What an argument is once passed through "...": the types that reach a directive.
enum class Passed {
    Int,        // a signed integer of at most 32 bits
    Small,      // an unsigned integer of fewer than 32 bits, passed as a non-negative int
    Unsigned,   // an unsigned integer of 32 bits
    Int64,      // a signed integer of 64 bits
    Unsigned64, // an unsigned integer of 64 bits
    Double,     // float or double
    Text,       // a pointer to UTF-16 text
    Other,      // anything else: no directive takes it
};

template <typename T>
consteval Passed PassedAs() {
    if constexpr (std::is_same_v<T, bool>) {
        return Passed::Other;
    } else if constexpr (std::is_integral_v<T>) {
        if constexpr (sizeof(T) == 8)
            return std::is_signed_v<T> ? Passed::Int64 : Passed::Unsigned64;
        if constexpr (sizeof(T) > 4) return Passed::Other;
        if constexpr (std::is_signed_v<T>) return Passed::Int;
        return sizeof(T) == 4 ? Passed::Unsigned : Passed::Small;
    } else if constexpr (std::is_floating_point_v<T>) {
        return sizeof(T) <= sizeof(double) ? Passed::Double : Passed::Other;
    } else if constexpr (std::is_same_v<T, const char16_t*> || std::is_same_v<T, char16_t*>) {
        return Passed::Text;
    } else {
        return Passed::Other;
    }
}

// Whether `format`'s directives take exactly the arguments `passed` (`count` of them), each its
// own type: %d and %i a signed int, %u %x %X %o an unsigned one (a small unsigned type fits
// both), the same with I64 or ll a signed or an unsigned 64-bit integer, %q a 64-bit integer, %c
// any integer of up to 32 bits, %s a UTF-16 text, %f a double, "*" an int; h and l read 32 bits.
// An unknown conversion, a size where it means nothing and a "%" at the end fit nothing.
consteval bool Fits(const char16_t* format, const Passed* passed, size_t count) {
    size_t next = 0;
    auto take = [&](bool fits) {
        if (next >= count || !fits) return false;
        ++next;
        return true;
    };
    auto isInt = [&] { return passed[next] == Passed::Int || passed[next] == Passed::Small; };
    for (const char16_t* p = format; *p != 0;) {
        if (*p++ != u'%') continue;
        if (*p == u'%') {
            ++p;
            continue;
        }
        while (*p == u'-' || *p == u'0' || *p == u'+' || *p == u' ' || *p == u'#') ++p;
        for (int count_part = 0; count_part < 2; ++count_part) {
            if (count_part == 1) {
                if (*p != u'.') break;
                ++p;
            }
            if (*p == u'*') {
                if (next >= count || !isInt()) return false;
                ++next;
                ++p;
            } else {
                while (*p >= u'0' && *p <= u'9') ++p;
            }
        }
        enum { Default, Wide, Long64 } size = Default;
        if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
            size = Long64;
            p += 3;
        } else if (p[0] == u'l' && p[1] == u'l') {
            size = Long64;
            p += 2;
        } else if (*p == u'l' || *p == u'h') {
            size = Wide;
            ++p;
        }
        if (next >= count) return false;
        const Passed argument = passed[next];
        bool fits = false;
        switch (*p++) {
        case u'd':
        case u'i':
            fits = size == Long64 ? argument == Passed::Int64 : isInt();
            break;
        case u'u':
        case u'x':
        case u'X':
        case u'o':
            fits = size == Long64 ? argument == Passed::Unsigned64
                                  : argument == Passed::Unsigned || argument == Passed::Small;
            break;
        case u'q':
            fits = size == Default && (argument == Passed::Unsigned64 || argument == Passed::Int64);
            break;
        case u'c':
            fits = size == Default && (isInt() || argument == Passed::Unsigned);
            break;
        case u's':
            fits = size == Default && argument == Passed::Text;
            break;
        case u'f':
            fits = size == Default && argument == Passed::Double;
            break;
        default: // an unknown conversion, or the format's end
            return false;
        }
        if (!take(fits)) return false;
    }
    return next == count;
}

// Not constexpr: a format that does not fit its arguments calls it while the program is
// compiled, and the compiler stops there.
void TheFormatDoesNotFitItsArguments();

} // namespace format_check

// Whether a format fits arguments of the types `Args`.
template <typename... Args>
consteval bool FormatFits(const char16_t* format) {
    constexpr format_check::Passed passed[] = {format_check::PassedAs<Args>()...,
                                               format_check::Passed::Other};
    return format_check::Fits(format, passed, sizeof...(Args));
}

// A format checked against the types of its arguments when the program is compiled. Made from
// a constant text: a literal, a constexpr array or an element of a constexpr table of them.
template <typename... Args>
struct FormatString {
    template <typename Text>
    requires std::is_convertible_v<const Text&, const char16_t*>
    consteval FormatString(const Text& format) : text(format) {
        if (!FormatFits<Args...>(text)) format_check::TheFormatDoesNotFitItsArguments();
    }
    const char16_t* text;
};

// An argument's type as a format names it: a text is a `const char16_t*` whether or not the
// caller may change it.
template <typename T>
using FormatArgument = std::conditional_t<std::is_same_v<T, char16_t*>, const char16_t*, T>;

template <typename... Args>
size_t Format(char16_t* out, size_t capacity, FormatString<FormatArgument<Args>...> format,
              Args... args) {
    return FormatUnchecked(out, capacity, format.text, args...);
}

} // namespace text
