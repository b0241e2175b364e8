// Code pages and character classes, as the system has them.
#include <cwctype>

#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {
namespace {

bool IsSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// CharUpperW and CharLowerW take a single character in the low word of the pointer argument.
char16_t ConvertCase(char16_t c, LPWSTR(WINAPI* convert)(LPWSTR)) {
    if (c == 0 || IsSurrogate(c)) return c;
    auto result = reinterpret_cast<ULONG_PTR>(convert(reinterpret_cast<LPWSTR>(ULONG_PTR{c})));
    return static_cast<char16_t>(result & 0xFFFF);
}

} // namespace

uint32_t AnsiCodePage() {
    return GetACP();
}
uint32_t OemCodePage() {
    return GetOEMCP();
}

int MultiByteToWide(uint32_t codePage, const char* bytes, int length, char16_t* out, int capacity) {
    if (bytes == nullptr || length == 0 || length < -1 || capacity < 0) return 0;
    if (capacity > 0 && out == nullptr) return 0;
    return MultiByteToWideChar(codePage, 0, bytes, length, win32::Wide(out), capacity);
}

int WideToMultiByte(uint32_t codePage, const char16_t* text, int length, char* out, int capacity,
                    int* unheld) {
    *unheld = -1;
    if (text == nullptr || length <= 0 || capacity < 0 || (capacity > 0 && out == nullptr))
        return -1;
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, win32::Wide(text),
                                            length, out, capacity, nullptr, &usedDefault);
    if (written == 0) return -1;
    if (!usedDefault) return written;
    // Some character became the default one: find the first, a character at a time.
    for (int at = 0; at < length;) {
        const int units = at + 1 < length && win32::IsHighSurrogate(text[at]) &&
                                  IsSurrogate(text[at + 1]) && !win32::IsHighSurrogate(text[at + 1])
                              ? 2
                              : 1;
        char probe[16];
        BOOL used = FALSE;
        if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, win32::Wide(text + at), units,
                                probe, sizeof probe, nullptr, &used) == 0 ||
            used) {
            *unheld = at;
            return -1;
        }
        at += units;
    }
    *unheld = 0;
    return -1;
}

bool IsSpace(char16_t c) {
    return !IsSurrogate(c) && std::iswspace(c) != 0;
}
char16_t ToUpper(char16_t c) {
    return ConvertCase(c, CharUpperW);
}
char16_t ToLower(char16_t c) {
    return ConvertCase(c, CharLowerW);
}

} // namespace sys
