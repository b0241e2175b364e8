// Code pages and character classes: the same converter and classes as the native port, with
// the system code pages settable.
#include "fake/fake_sys.h"
#include "fake/fake_topics.h"
#include "sys/posix/code_page_iconv.h"
#include "sys/posix/unicode_ctype.h"
#include "sys/sys.h"

namespace {

struct CodePages {
    uint32_t ansi = fake::kDefaultAnsiCodePage;
    uint32_t oem = fake::kDefaultOemCodePage;
};

CodePages& State() {
    static CodePages state;
    return state;
}

} // namespace

namespace fake {

namespace detail {
void ResetCodePages() {
    State() = CodePages{};
}
} // namespace detail

void SetAnsiCodePage(uint32_t codePage) {
    State().ansi = codePage;
}
void SetOemCodePage(uint32_t codePage) {
    State().oem = codePage;
}

} // namespace fake

namespace sys {

uint32_t AnsiCodePage() {
    return State().ansi;
}
uint32_t OemCodePage() {
    return State().oem;
}

int MultiByteToWide(uint32_t codePage, const char* bytes, int length, char16_t* out, int capacity) {
    if (fake::detail::FaultFor(fake::Call::CodePage, 8)) return 0;
    return posix::MultiByteToWideIconv(codePage, bytes, length, out, capacity);
}

int WideToMultiByte(uint32_t codePage, const char16_t* text, int length, char* out, int capacity,
                    int* unheld) {
    if (fake::detail::FaultFor(fake::Call::CodePage, 8)) {
        if (unheld != nullptr) *unheld = -1;
        return -1;
    }
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
