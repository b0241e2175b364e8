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
