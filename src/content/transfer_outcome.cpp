#include "content/transfer_outcome.h"

#include "frame/plugin_state.h"
#include "frame/text/format.h"
#include "store/buffer_allocation.h"
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

void FinishLoad(uint32_t failure, BufferAddress address, uint32_t size, char16_t* result) {
    if (failure != 0) {
        if (address != 0) FreeBuffer(address);
        NoteTransferFailure(failure);
        LastLoadSize = 0;
        text::Format(result, kTextCapacity, u"0");
        return;
    }
    NoteTransferSuccess();
    LastLoadSize = size;
    FormatHandle(result, kTextCapacity, address);
}
