#include "content/transfer_outcome.h"

#include "frame/plugin_state.h"
#include "store/buffer_allocation.h"
#include "store/last_transfer.h"
#include "sys/sys.h"
#include "text/format.h"

uint32_t SystemFailureCode() {
    const uint32_t code = sys::LastErrorCode();
    return code != 0 ? code : kNoSystemCode;
}

namespace {

void NoteTransferFailure(uint32_t code) {
    LastError = static_cast<int32_t>(code != 0 ? code : kNoSystemCode);
}

void NoteTransferSuccess() {
    LastError = 0;
}

} // namespace

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

bool FinishDigest(uint32_t failure, char16_t* result) {
    if (failure != 0) {
        NoteTransferFailure(failure);
        text::Format(result, kTextCapacity, u"0");
        return false;
    }
    NoteTransferSuccess();
    return true;
}

int FinishWrite(uint32_t failure, uint64_t total, char16_t* result, int failedResult) {
    if (failure != 0) {
        NoteTransferFailure(failure);
        text::Format(result, kTextCapacity, u"0");
        return failedResult;
    }
    NoteTransferSuccess();
    text::Format(result, kTextCapacity, u"%I64u", total);
    return 0;
}
