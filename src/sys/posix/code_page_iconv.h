// MultiByteToWideChar's and WideCharToMultiByte's contracts over iconv: code page numbers map to
// iconv's names; an invalid byte becomes U+FFFD and decoding goes on; a character that the code
// page cannot hold stops encoding. Also used by the test backend.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <string>

#include "sys/sys.h"

namespace sys::posix {

struct CodePageName {
    uint32_t codePage;
    const char* iconvName;
};

// The code pages Windows systems commonly have, by the names glibc's iconv knows them.
inline constexpr CodePageName kCodePageNames[] = {
    {437, "CP437"},        {737, "CP737"},         {775, "CP775"},         {850, "CP850"},
    {852, "CP852"},        {855, "CP855"},         {857, "CP857"},         {858, "CP858"},
    {860, "CP860"},        {861, "CP861"},         {862, "CP862"},         {863, "CP863"},
    {864, "CP864"},        {865, "CP865"},         {866, "CP866"},         {869, "CP869"},
    {874, "CP874"},        {932, "CP932"},         {936, "CP936"},         {949, "CP949"},
    {950, "CP950"},        {1250, "CP1250"},       {1251, "CP1251"},       {1252, "CP1252"},
    {1253, "CP1253"},      {1254, "CP1254"},       {1255, "CP1255"},       {1256, "CP1256"},
    {1257, "CP1257"},      {1258, "CP1258"},       {20866, "KOI8-R"},      {21866, "KOI8-U"},
    {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"}, {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"}, {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"}, {65001, "UTF-8"},
};

// The pseudo code pages that stand for the system's own.
constexpr uint32_t kCodePageAnsi = 0;
constexpr uint32_t kCodePageOem = 1;
constexpr uint32_t kCodePageThreadAnsi = 3;

inline const char* IconvNameOf(uint32_t codePage) {
    if (codePage == kCodePageAnsi || codePage == kCodePageThreadAnsi)
        codePage = AnsiCodePage();
    else if (codePage == kCodePageOem)
        codePage = OemCodePage();
    for (const CodePageName& entry : kCodePageNames)
        if (entry.codePage == codePage) return entry.iconvName;
    return nullptr;
}

// Windows gives the five bytes that code page 1252 leaves undefined the units of the same value.
inline bool IsUndefinedIn1252(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

// Decodes the bytes into `units`; false when the code page is unknown.
inline bool DecodeCodePage(uint32_t codePage, const char* bytes, size_t count,
                           std::u16string& units) {
    const char* name = IconvNameOf(codePage);
    if (name == nullptr) return false;
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    iconv_t converter = iconv_open("UTF-16BE", name);
#else
    iconv_t converter = iconv_open("UTF-16LE", name);
#endif
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    bool is1252 = std::strcmp(name, "CP1252") == 0;
    char* in = const_cast<char*>(bytes);
    size_t inLeft = count;
    char16_t chunk[256];
    bool decoded = true;
    while (inLeft > 0) {
        char* out = reinterpret_cast<char*>(chunk);
        size_t outLeft = sizeof chunk;
        size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        int error = errno;
        units.append(chunk, (sizeof chunk - outLeft) / sizeof(char16_t));
        if (result != static_cast<size_t>(-1) || error == E2BIG) continue;
        if (error != EILSEQ && error != EINVAL) {
            decoded = false;
            break;
        }
        // An invalid byte, or a sequence cut short by the end of the input: one replacement
        // for the byte, then decoding resumes with the next one.
        unsigned char bad = static_cast<unsigned char>(*in);
        units.push_back(is1252 && IsUndefinedIn1252(bad) ? char16_t{bad} : u'\uFFFD');
        ++in;
        --inLeft;
    }
    iconv_close(converter);
    return decoded;
}

inline int MultiByteToWideIconv(uint32_t codePage, const char* bytes, int length, char16_t* out,
                                int capacity) {
    if (bytes == nullptr || length == 0 || length < -1 || capacity < 0) return 0;
    if (capacity > 0 && out == nullptr) return 0;
    size_t count = length == -1 ? std::strlen(bytes) + 1 : static_cast<size_t>(length);
    std::u16string units;
    if (!DecodeCodePage(codePage, bytes, count, units)) return 0;
    if (units.size() > INT32_MAX) return 0;
    int needed = static_cast<int>(units.size());
    if (capacity == 0) return needed;
    if (needed > capacity) return 0;
    units.copy(out, units.size());
    return needed;
}

// Encodes `length` units into the code page, as WideCharToMultiByte with WC_NO_BEST_FIT_CHARS
// does: a character the code page cannot hold gives -1 with `*unheld` its index.
inline int WideToMultiByteIconv(uint32_t codePage, const char16_t* text, int length, char* out,
                                int capacity, int* unheld) {
    *unheld = -1;
    if (text == nullptr || length <= 0 || capacity < 0 || (capacity > 0 && out == nullptr))
        return -1;
    const char* name = IconvNameOf(codePage);
    if (name == nullptr) return -1;
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    iconv_t converter = iconv_open(name, "UTF-16BE");
#else
    iconv_t converter = iconv_open(name, "UTF-16LE");
#endif
    if (converter == reinterpret_cast<iconv_t>(-1)) return -1;
    const bool is1252 = std::strcmp(name, "CP1252") == 0;
    char* const start = reinterpret_cast<char*>(const_cast<char16_t*>(text));
    char* in = start;
    size_t inLeft = static_cast<size_t>(length) * sizeof(char16_t);
    std::string bytes;
    char chunk[256];
    while (inLeft > 0) {
        char* to = chunk;
        size_t toLeft = sizeof chunk;
        const size_t result = iconv(converter, &in, &inLeft, &to, &toLeft);
        const int error = errno;
        bytes.append(chunk, sizeof chunk - toLeft);
        if (result != static_cast<size_t>(-1) || error == E2BIG) continue;
        const size_t at = static_cast<size_t>(in - start) / sizeof(char16_t);
        // Windows keeps the units of the five bytes 1252 leaves undefined, as it decodes them.
        if (error == EILSEQ && is1252 && text[at] < 0x100 &&
            IsUndefinedIn1252(static_cast<unsigned char>(text[at]))) {
            bytes.push_back(static_cast<char>(text[at]));
            in += sizeof(char16_t);
            inLeft -= sizeof(char16_t);
            continue;
        }
        // A character the code page has not, a lone surrogate, or a high one at the end.
        iconv_close(converter);
        if (error == EILSEQ || error == EINVAL) *unheld = static_cast<int>(at);
        return -1;
    }
    iconv_close(converter);
    if (bytes.size() > INT32_MAX) return -1;
    if (capacity == 0) return static_cast<int>(bytes.size());
    if (bytes.size() > static_cast<size_t>(capacity)) return -1;
    bytes.copy(out, bytes.size());
    return static_cast<int>(bytes.size());
}

} // namespace sys::posix
