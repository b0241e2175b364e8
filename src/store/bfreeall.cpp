// @BFREEALL: releases every buffer that has a record.
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "frame/text/format.h"
#include "store/buffer_allocation.h"
#include "store/buffer_registry.h"

// The argument text is ignored. The result counts the records read, also those that had no
// block left to release. Records that cannot be read free nothing; a record that cannot be
// deleted keeps its buffer, and the others go all the same: either is reported and fails.
KV_EXPORT int KV_API f_bfreeall(HostChar* argument) {
    if (argument == nullptr) return kNoArgumentText;
    BufferRecord* list = nullptr;
    const int count = ReadBufferRecords(list);
    if (count < 0) return ReportRecordFailure();
    int kept = 0;
    for (int i = 0; i < count; ++i)
        if (!FreeRecordedBuffer(list[i])) ++kept;
    FreeBufferRecords(list);
    if (kept != 0) return ReportRecordFailure();
    text::Format(FromHost(argument), kTextCapacity, u"%d", count);
    return 0;
}
