// Cryptographic random bytes from the kernel (getrandom).
#include <cerrno>
#include <sys/random.h>

#include "sys/posix/error_codes.h"
#include "sys/sys.h"

namespace sys {
namespace {

// getrandom needs no context; the source is a token that is never null.
char sourceToken;

} // namespace

RandomSource OpenRandomSource() {
    return &sourceToken;
}

bool FillRandom(RandomSource source, void* bytes, uint32_t size) {
    if (source != &sourceToken || (bytes == nullptr && size != 0)) {
        posix::SetLastErrorCode(posix::WindowsErrorOf(EINVAL));
        return false;
    }
    auto* at = static_cast<unsigned char*>(bytes);
    uint32_t left = size;
    // Large requests may come back short when a signal arrives; ask again for the rest.
    while (left > 0) {
        const ssize_t got = getrandom(at, left, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            posix::SetLastErrorFromErrno();
            return false;
        }
        at += got;
        left -= static_cast<uint32_t>(got);
    }
    return true;
}

void CloseRandomSource(RandomSource /*source*/) {}

} // namespace sys
