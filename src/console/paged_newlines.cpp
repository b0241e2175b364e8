// Line ends with the page counter: the prompt after each page and the key that answers it.
#include "console/console_output.h"
#include "console/console_window.h"
#include "frame/host_services.h"
#include "frame/plugin_state.h"
#include "text/u16.h"

namespace {

constexpr char16_t kPrompt[] = u"\r   \u2500\u2500 Press a key to continue \u2500\u2500 ";
constexpr char16_t kEraseLine[] =
    u"\r                                                            \r";

constexpr uint32_t kEsc = 27;
constexpr uint32_t kCtrlC = 3;
constexpr uint32_t kSpace = 32;
constexpr uint32_t kExtendedKey = 0x10000;
constexpr uint32_t kPollMillis = 10;

// Sets LinesLeft for the key; false when the key stops the output.
bool AnswerPrompt(uint32_t key) {
    switch (key) {
    case u'C':
    case u'c':
    case u'A':
    case u'a':
        PageLines = 0;
        LinesLeft = 0;
        return true;
    case u'/':
        LinesLeft = PageLines / 2;
        return true;
    case u'0':
        LinesLeft = 10;
        return true;
    case kEsc:
        return false;
    case kCtrlC:
        ShowCtrlC();
        return false;
    }
    if (key >= u'1' && key <= u'9') LinesLeft = key - u'0';
    return true;
}

// Whether Ctrl-C or Ctrl-Break came during the output; shows the mark when it did.
bool StoppedByCtrlC() {
    if (CtrlCPressed == 0) return false;
    ShowCtrlC();
    return true;
}

} // namespace

void WriteToConsoleDevice(const char16_t* text) {
    if (ConsoleOut != nullptr) (void)sys::WriteText(ConsoleOut, text, text::Length(text));
}

void SetConsoleColor(sys::Handle console, uint16_t attribute) {
    (void)sys::SetConsoleTextAttribute(console, attribute);
}

uint32_t WaitForPauseKey() {
    // Elapsed time is measured by subtraction, which stays right when the tick count wraps.
    uint32_t start = sys::TickCount();
    CtrlCPressed = 0;
    sys::BeginKeyInput();
    uint32_t key = 0;
    for (;;) {
        // Stopped and continued (Ctrl-Z, fg): the prompt again, with its full time to wait.
        if (sys::KeyInputResumed()) {
            WriteToConsoleDevice(kPrompt);
            start = sys::TickCount();
        }
        if (sys::KeyWaiting()) {
            key = sys::ReadKeyCode();
            if (key == 0 || key == 0xE0) key = kExtendedKey + sys::ReadKeyCode();
            break;
        }
        sys::SleepMillis(kPollMillis);
        if (CtrlCPressed != 0) {
            key = kCtrlC;
            break;
        }
        if (PauseMillis != 0 && sys::TickCount() - start >= PauseMillis) {
            key = kSpace;
            break;
        }
    }
    sys::EndKeyInput();
    return key;
}

int PagedNewLines(uint32_t count) {
    if (NormalAttr != 0) {
        SetConsoleColor(sys::StdHandle(sys::StdStream::Output), NormalAttr);
        SetColors(NormalAttr);
        tty_yield(0);
    }
    for (uint32_t i = 0; i < count; ++i) {
        QPuts(AsHost(u"\r\n"));
        if (StoppedByCtrlC()) return kOutputStopped;
        if (LinesLeft == 0) continue;
        if (--LinesLeft > 0) continue;

        LinesLeft = PageLines;
        WriteToConsoleDevice(kPrompt);
        const uint32_t key = WaitForPauseKey();
        WriteToConsoleDevice(kEraseLine);
        if (!AnswerPrompt(key)) return kOutputStopped;
    }
    return kOutputOk;
}

int PutPagedLine(char16_t* text, size_t length, size_t capacity) {
    // With no page to count and no colour to restore, a line end only ends the line: line and
    // end go to the host as one text, which halves the host calls of a long listing.
    if (NormalAttr == 0 && LinesLeft == 0 && length + 2 < capacity) {
        text[length] = u'\r';
        text[length + 1] = u'\n';
        text[length + 2] = 0;
        QPuts(AsHost(text));
        return StoppedByCtrlC() ? kOutputStopped : kOutputOk;
    }
    text[length < capacity ? length : capacity - 1] = 0;
    QPuts(AsHost(text));
    return PagedNewLines(1);
}
