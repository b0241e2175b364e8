// @BFREEALL: releases every buffer that has a record.
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "store/buffer_allocation.h"
#include "store/buffer_registry.h"
#include "text/format.h"

// The argument text is ignored. The result counts the records read, also those that had no
// block left to release. Records that cannot be read free nothing; a record that cannot be
// deleted keeps its buffer, and the others go all the same: either is reported and fails.
KV_EXPORT int KV_API f_bfreeall(HostChar* argument) {
    char16_t* text = nullptr;
    if (const int stop = BeginWholeText(argument, &text); stop != 0) return stop;
    BufferRecord* list = nullptr;
    const int count = ReadBufferRecords(list);
    if (count < 0) return ReportRecordFailure();
    int kept = 0;
    for (int i = 0; i < count; ++i)
        if (!FreeRecordedBuffer(list[i])) ++kept;
    FreeBufferRecords(list);
    if (kept != 0) return ReportRecordFailure();
    text::Format(text, kTextCapacity, u"%d", count);
    return 0;
}
