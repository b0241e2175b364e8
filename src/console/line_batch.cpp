// Writing out a batch of listing lines, and stopping it with the Ctrl-C mark.
#include "console/line_batch.h"

#include "frame/host_services.h"

void FlushLineBatch(LineBatch& batch) {
    if (batch.used == 0) return;
    batch.text[batch.used] = 0;
    QPuts(AsHost(batch.text));
    batch.used = 0;
}

int StopLineBatch(LineBatch& batch) {
    FlushLineBatch(batch);
    ShowCtrlC();
    return kOutputStopped;
}
