// @BFREEALL: releases every buffer that has a record.
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "store/buffer_allocation.h"
#include "store/buffer_registry.h"
#include "text/format.h"

// The argument text is ignored. The result counts the records read, also those that had no
// block left to release.
KV_EXPORT int KV_API f_bfreeall(HostChar* argument) {
    char16_t* text = nullptr;
    if (const int stop = BeginWholeText(argument, &text); stop != 0) return stop;
    BufferRecord* list = nullptr;
    const int count = ReadBufferRecords(list);
    for (int i = 0; i < count; ++i) FreeRecordedBuffer(list[i]);
    FreeBufferRecords(list);
    text::Format(text, kTextCapacity, u"%d", count);
    return 0;
}
