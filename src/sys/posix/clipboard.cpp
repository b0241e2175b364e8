// The clipboard of the native port: there is no system clipboard, only the text that the host
// puts there for its scripts. Until it does, the clipboard cannot be opened.
#include <optional>
#include <string>

#include "sys/posix/error_codes.h"
#include "sys/sys.h"

namespace sys {
namespace {

struct Clipboard {
    std::optional<std::u16string> units; // the data block: the text and its terminating zero
    bool open = false;
    bool locked = false;
};

Clipboard& State() {
    static Clipboard clipboard;
    return clipboard;
}

} // namespace

bool OpenClipboardForReading() {
    Clipboard& clipboard = State();
    // No clipboard, or it is held already: Windows would refuse the second opener too.
    if (!clipboard.units || clipboard.open) {
        posix::SetLastErrorCode(0);
        return false;
    }
    clipboard.open = true;
    return true;
}

const char16_t* LockClipboardText(size_t* units) {
    Clipboard& clipboard = State();
    posix::SetLastErrorCode(0);
    if (units != nullptr) *units = 0;
    if (!clipboard.open || !clipboard.units || clipboard.units->empty() || units == nullptr)
        return nullptr;
    clipboard.locked = true;
    *units = clipboard.units->size();
    return clipboard.units->data();
}

void UnlockClipboardText() {
    State().locked = false;
}

void CloseClipboardAfterReading() {
    State().open = false;
    State().locked = false;
}

bool SetClipboardText(const char16_t* text, size_t length) {
    Clipboard& clipboard = State();
    if (clipboard.open || (text == nullptr && length != 0)) return false;
    clipboard.units.emplace(text == nullptr ? u"" : std::u16string(text, length));
    clipboard.units->push_back(0);
    return true;
}

} // namespace sys
