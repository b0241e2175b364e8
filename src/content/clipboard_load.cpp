// Loading the clipboard's Unicode text into a new buffer.
#include <cstdint>
#include <cstring>

#include "content/load_sources.h"
#include "content/transfer_outcome.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "store/buffer_allocation.h"
#include "store/last_transfer.h"
#include "text/format.h"

namespace {

// Copies the locked text, up to its first zero and never past its data block, into a new
// buffer with a terminating zero. 0, or the code of the failure.
uint32_t CopyTextIntoNewBuffer(BufferAddress* address, uint32_t* size) {
    size_t units = 0;
    const char16_t* text = sys::LockClipboardText(&units);
    if (text == nullptr) return SystemFailureCode();
    size_t count = 0;
    while (count < units && text[count] != 0) ++count;
    uint32_t failure = 0;
    if (count == 0) {
        failure = kNoSystemCode; // an empty text: nothing failed, there is simply nothing
    } else if (count > (UINT32_MAX - 2) / 2) {
        failure = kNoMemoryCode;
    } else {
        *size = static_cast<uint32_t>(2 * count + 2);
        *address = AllocateBuffer(*size);
        // The heap does not say why it refused; the code says what was missing.
        if (*address == 0)
            failure = kNoMemoryCode;
        else
            std::memcpy(BufferAt(*address), text, 2 * count); // the zero-filled end terminates
    }
    sys::UnlockClipboardText();
    return failure;
}

} // namespace

void LoadClipboard(char16_t* result) {
    BufferAddress address = 0;
    uint32_t size = 0;
    uint32_t failure = 0;
    if (!sys::OpenClipboardForReading()) {
        failure = SystemFailureCode();
    } else {
        failure = CopyTextIntoNewBuffer(&address, &size);
        sys::CloseClipboardAfterReading();
    }
    FinishLoad(failure, address, size, result);
}
