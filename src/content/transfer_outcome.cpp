#include "content/transfer_outcome.h"

#include "store/last_transfer.h"
#include "sys/sys.h"

uint32_t SystemFailureCode() {
    const uint32_t code = sys::LastErrorCode();
    return code != 0 ? code : kNoSystemCode;
}

void NoteTransferFailure(uint32_t code) {
    LastError = static_cast<int32_t>(code != 0 ? code : kNoSystemCode);
}

void NoteTransferSuccess() {
    LastError = 0;
}
