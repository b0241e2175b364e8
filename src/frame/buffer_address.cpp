// The handle text of a buffer address.
#include "frame/buffer_address.h"

#include "text/format.h"

void FormatHandle(char16_t* out, size_t capacity, BufferAddress address) {
#if defined(KV_WIDE_ADDRESSES)
    text::Format(out, capacity, u"%016I64X", static_cast<uint64_t>(address));
#else
    text::Format(out, capacity, u"%08X", static_cast<unsigned>(address));
#endif
}
