// Win32 handles and text as the seam's types. wchar_t and char16_t are both UTF-16 here.
#pragma once

#include <windows.h>

#include "sys/sys.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

namespace sys::win32 {

inline const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* Wide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}

// INVALID_HANDLE_VALUE becomes the seam's "none".
inline Handle HandleOf(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? nullptr : static_cast<Handle>(handle);
}

inline bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// The length of the next piece of at most `limit` units that does not split a surrogate pair.
inline size_t PieceLength(const char16_t* text, size_t length, size_t limit) {
    if (length <= limit) return length;
    return IsHighSurrogate(text[limit - 1]) ? limit - 1 : limit;
}

} // namespace sys::win32
