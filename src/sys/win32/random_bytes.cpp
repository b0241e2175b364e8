// Cryptographic random bytes through a verify-only context of the default provider.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

// After windows.h, which it builds on.
#include <wincrypt.h>

namespace sys {

RandomSource OpenRandomSource() {
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return nullptr;
    return reinterpret_cast<RandomSource>(provider);
}

bool FillRandom(RandomSource source, void* bytes, uint32_t size) {
    return CryptGenRandom(reinterpret_cast<HCRYPTPROV>(source), size, static_cast<BYTE*>(bytes)) !=
           FALSE;
}

void CloseRandomSource(RandomSource source) {
    if (source != nullptr) CryptReleaseContext(reinterpret_cast<HCRYPTPROV>(source), 0);
}

} // namespace sys
