#include "plugin/clipboard_variable.h"

#include <optional>
#include <string>

namespace host {

void ShareClipboardVariable(Session& session) {
    const std::optional<std::u16string> text = ReadEnvironment(kClipboardVariable);
    if (!text) return;
    if (!sys::SetClipboardText(text->data(), text->size()))
        HostMessage(session, u"cannot put PLUGHOST_CLIPBOARD on the clipboard");
}

} // namespace host
