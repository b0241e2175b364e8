// A buffer's address and its handle text: the one place where their width is decided.
//
// The 32-bit Windows product, and the native port by default, name a buffer by a 32-bit address
// written as eight hexadecimal digits. The 64-bit Windows product, and the native port built
// with KV_WIDE_HANDLES, use the whole 64-bit address and sixteen digits. Everything else that
// depends on the width (records, BBLIST's column) takes it from here.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN64) || defined(KV_WIDE_HANDLES)
#define KV_WIDE_ADDRESSES 1
using BufferAddress = uint64_t;
#else
using BufferAddress = uint32_t;
#endif

static_assert(sizeof(BufferAddress) <= sizeof(uintptr_t), "an address fits a pointer");

// The digits of a handle as BBLIST and the result texts show it.
inline constexpr int kHandleDigits = 2 * int(sizeof(BufferAddress));
constexpr size_t kHandleTextCapacity = 24;

// Writes the handle text of an address, "%08X" or "%016I64X", into at most `capacity` units
// (terminator included).
void FormatHandle(char16_t* out, size_t capacity, BufferAddress address);

// The memory an address names.
inline uint8_t* BufferAt(BufferAddress address) {
    return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address));
}

// The address of a block, or 0 when a handle of this width cannot name it.
inline BufferAddress AddressOf(const void* block) {
    const uintptr_t where = reinterpret_cast<uintptr_t>(block);
    if (where > BufferAddress(~BufferAddress{0})) return 0;
    return static_cast<BufferAddress>(where);
}

// The largest size QueryMemSize may give for a buffer. Sizes are 32-bit everywhere; on the
// 32-bit contract a size of all bits set means "no buffer", on the wide one any size beyond
// 32 bits does.
#if defined(KV_WIDE_ADDRESSES)
inline constexpr uintptr_t kLargestBufferSize = UINT32_MAX;
#else
inline constexpr uintptr_t kLargestBufferSize = UINT32_MAX - 1;
#endif
