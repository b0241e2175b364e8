#include "store/buffer_record.h"

#include <type_traits>

void BufferValueName(BufferAddress address, char16_t (&name)[kValueNameCapacity]) {
    constexpr char16_t kDigits[] = u"0123456789abcdefghijklmnopqrstuvwxyz";
    using SignedAddress = std::make_signed_t<BufferAddress>;
    uint64_t value =
        static_cast<uint64_t>(static_cast<int64_t>(static_cast<SignedAddress>(address)));
    char16_t reversed[kValueNameCapacity];
    int length = 0;
    do {
        reversed[length++] = kDigits[value % 36];
        value /= 36;
    } while (value != 0);
    for (int i = 0; i < length; ++i) name[i] = reversed[length - 1 - i];
    name[length] = 0;
}
