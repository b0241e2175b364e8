// @BFREE: releases one buffer by its handle.
#include "frame/args.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "frame/text/format.h"
#include "store/buffer_allocation.h"
#include "store/buffer_registry.h"
#include "store/store_exports.h"

namespace {

// Flag bit 0: release the block even when it has no record.
constexpr uint32_t kForceFlag = 1;

void UpperCaseInPlace(char16_t* text) {
    for (; *text != 0; ++text) *text = sys::ToUpper(*text);
}

// Reports an argument, upper-cased in place, with the message and fails.
int RefuseArgument(const char16_t* message, int index) {
    UpperCaseInPlace(ArgText(index));
    ReportMessage(message, ArgText(index));
    return -1;
}

} // namespace

KV_EXPORT int KV_API f_bfree(HostChar* argument) {
    if (argument == nullptr) return kNoArgumentText;
    char16_t* text = FromHost(argument);
    if (SplitArguments(ArgCommas, text) < 0) return -1;
    if (!ArgGiven(0)) {
        ReportMessage(u"Missing handle\r\n");
        return -1;
    }
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
    text::Format(text, kTextCapacity, recordedSize != 0 ? u"0" : u"1");
    return 0;
}
