// Letters and digits of any script, as the system classifies them.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

bool IsLetterOrDigit(char16_t c) {
    return IsCharAlphaNumericW(static_cast<wchar_t>(c)) != FALSE;
}

} // namespace sys
