// A listing's lines gathered for one host call. While no page is counted, no colour is to be
// restored and no Ctrl-C is pending, nothing happens at a line end but the end itself, so lines
// and their ends may reach the host together: a long listing then costs one QPuts per batch
// instead of one per line. Ctrl-C is still looked for after every line.
#pragma once

#include <cstddef>

#include "console/console_output.h"

constexpr size_t kLineBatchCapacity = 8192;

struct LineBatch {
    char16_t text[kLineBatchCapacity];
    size_t used = 0;
};

// Writes the lines waiting, if any.
void FlushLineBatch(LineBatch& batch);

// Writes the lines waiting, then the Ctrl-C mark; kOutputStopped.
int StopLineBatch(LineBatch& batch);

// Whether the next line may wait in a batch.
inline bool LinesMayWait() {
    return NormalAttr == 0 && LinesLeft == 0 && CtrlCPressed == 0;
}

// Where the next line, of at most `room` units (room + 3 <= kLineBatchCapacity), is to be
// written: at the batch's end, after the lines waiting have been written if less room is left
// for it, its end and the terminator.
inline char16_t* NextBatchedLine(LineBatch& batch, size_t room) {
    if (batch.used + room + 3 > kLineBatchCapacity) FlushLineBatch(batch);
    return batch.text + batch.used;
}

// Ends the line of `length` units written at NextBatchedLine. kOutputOk, or kOutputStopped when
// Ctrl-C is pending: the lines waiting have then been written and the mark shown, as after that
// line on its own.
inline int EndBatchedLine(LineBatch& batch, size_t length) {
    batch.used += length;
    batch.text[batch.used++] = u'\r';
    batch.text[batch.used++] = u'\n';
    return CtrlCPressed == 0 ? kOutputOk : StopLineBatch(batch);
}
