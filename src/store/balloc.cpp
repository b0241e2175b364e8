// @BALLOC: allocates a buffer of the size its whole argument gives.
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "store/buffer_allocation.h"
#include "text/format.h"

namespace {

// What a size of 0 asks for.
constexpr uint32_t kDefaultBufferSize = 64;

} // namespace

KV_EXPORT int KV_API f_balloc(HostChar* argument) {
    char16_t* text = nullptr;
    if (const int stop = BeginTrimmedText(argument, &text); stop != 0) return stop;
    if (text[0] == 0) return Refuse(u"Missing size\r\n");
    uint32_t size = 0;
    if (ParseSize(text, &size) != 0) return -1;
    if (size == 0) size = kDefaultBufferSize;

    // A heap without room is no error: the batch file tests the result for "0".
    const BufferAddress address = AllocateBuffer(size);
    if (address == 0)
        text::Format(text, kTextCapacity, u"0");
    else
        FormatHandle(text, kTextCapacity, address);
    return 0;
}
