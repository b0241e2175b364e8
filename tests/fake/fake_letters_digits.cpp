// Letters and digits of any script, classified as the native port does.
#include "sys/posix/unicode_ctype.h"
#include "sys/sys.h"

namespace sys {

bool IsLetterOrDigit(char16_t c) {
    return !posix::IsSurrogate(c) && iswalnum_l(static_cast<wint_t>(c), posix::UnicodeCtype()) != 0;
}

} // namespace sys
