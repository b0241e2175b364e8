// Code pages and character classes. This port reports the code pages of a Western European
// Windows system: ANSI 1252 and OEM 437.
#include "sys/posix/code_page_iconv.h"
#include "sys/posix/unicode_ctype.h"
#include "sys/sys.h"

namespace sys {

uint32_t AnsiCodePage() {
    return 1252;
}
uint32_t OemCodePage() {
    return 437;
}

int MultiByteToWide(uint32_t codePage, const char* bytes, int length, char16_t* out, int capacity) {
    return posix::MultiByteToWideIconv(codePage, bytes, length, out, capacity);
}

int WideToMultiByte(uint32_t codePage, const char16_t* text, int length, char* out, int capacity,
                    int* unheld) {
    return posix::WideToMultiByteIconv(codePage, text, length, out, capacity, unheld);
}

bool IsSpace(char16_t c) {
    return posix::IsSpaceUnit(c);
}
char16_t ToUpper(char16_t c) {
    return posix::UpperUnit(c);
}
char16_t ToLower(char16_t c) {
    return posix::LowerUnit(c);
}

} // namespace sys
