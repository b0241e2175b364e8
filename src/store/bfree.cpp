// @BFREE: releases one buffer by its handle.
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "store/buffer_allocation.h"
#include "store/buffer_registry.h"
#include "text/u16.h"

namespace {

// Flag bit 0: release the block even when it has no record.
constexpr uint32_t kForceFlag = 1;

} // namespace

KV_EXPORT int KV_API f_bfree(HostChar* argument) {
    char16_t* text = nullptr;
    if (const int stop = BeginFunction(argument, ArgCommas, &text); stop != 0) return stop;
    if (!ArgGiven(0)) return Refuse(kHandleMessages.missing);
    // The record check below stands in for ParseBufferHandle's tests, so the handle need only
    // be a nonzero hexadecimal number here.
    BufferAddress address = 0;
    if (!ReadHandleNumber(ArgText(0), &address) || address == 0)
        return RefuseArgument(u"Bad buffer handle: \"%s\"\r\n", 0);

    uint32_t flags = 0;
    if (ArgGiven(1) && ParseU32(ArgText(1), &flags) != 0)
        return RefuseArgument(u"Bad flags value: \"%s\"\r\n", 1);

    if (!IsListedBuffer(address)) {
        if ((flags & kForceFlag) == 0) return RefuseArgument(u"Handle not in list: \"%s\"\r\n", 0);
        // Even forced, only a block the host knows may go back to the heap: releasing any
        // other address would corrupt the heap or crash the host.
        if (ParseBufferHandle(ArgText(0)) == 0)
            return RefuseArgument(u"Bad buffer handle: \"%s\"\r\n", 0);
    }

    const uint32_t recordedSize = FreeBuffer(address);
    text::CopyBounded(text, kTextCapacity, recordedSize != 0 ? u"0" : u"1");
    return 0;
}
