// What a script test needs of the machine, and whether this one has it.
#include "check/check_needs.h"

#include "check/suite.h"
#include "frame/host_services.h"
#include "language/words.h"
#include "session/session.h"
#include "sys/sys.h"

namespace host {

namespace {

// A clipboard is there when a text put on it can be read back. Natively that is the host's own
// clipboard; on Windows a session without a desktop (a service) may have none.
bool HasClipboard() {
    constexpr std::u16string_view kProbe = u"plughost --check";
    if (!sys::SetClipboardText(kProbe.data(), kProbe.size()) || !sys::OpenClipboardForReading())
        return false;
    size_t units = 0;
    const char16_t* text = sys::LockClipboardText(&units);
    const bool readBack = text != nullptr && std::u16string_view(text, units).starts_with(kProbe);
    sys::CloseClipboardAfterReading();
    return readBack;
}

bool HasConsole() {
    sys::Handle console = sys::OpenConsoleDevice();
    if (console == nullptr) return false;
    sys::CloseHandle(console);
    return true;
}

bool HasHelpViewer() {
    std::u16string path(kHostPathCapacity, u'\0');
    return sys::SearchProgram(u"hh.exe", path.data(), kHostPathCapacity) != 0;
}

bool Remembered(int& answer, bool (*findOut)()) {
    if (answer < 0) answer = findOut() ? 1 : 0;
    return answer == 1;
}

} // namespace

std::vector<std::u16string> DeclaredNeeds(const std::vector<std::u16string>& lines) {
    std::vector<std::u16string> needs;
    for (const std::u16string& line : lines) {
        std::optional<std::u16string_view> remark = RemarkText(line);
        if (!remark) break;
        std::u16string_view words = *remark;
        if (words.size() < 6 || words.substr(0, 5) != u"needs" || !IsBlank(words[5])) continue;
        words.remove_prefix(5);
        for (;;) {
            words = TrimBlanksView(words);
            if (words.empty()) break;
            size_t end = 0;
            while (end < words.size() && !IsBlank(words[end])) ++end;
            needs.emplace_back(words.substr(0, end));
            words.remove_prefix(end);
        }
    }
    return needs;
}

MachineNeeds::Answer MachineNeeds::Check(const std::vector<std::u16string>& needs,
                                         std::u16string& unmet) {
    for (const std::u16string& need : needs) {
        bool met = false;
        if (need == u"clipboard")
            met = Remembered(clipboard_, HasClipboard);
        else if (need == u"console")
            met = Remembered(console_, HasConsole);
        else if (need == u"help-viewer")
            met = Remembered(helpViewer_, HasHelpViewer);
        else {
            unmet = need;
            return Answer::Unknown;
        }
        if (!met) {
            unmet = need;
            return Answer::Unmet;
        }
    }
    return Answer::Met;
}

} // namespace host
