// Keys that act on unpaged output while it runs: Esc brings a prompt, Ctrl slows the output.
#include "console/console_output.h"
#include "console/console_window.h"
#include "frame/host_services.h"

namespace {
constexpr uint32_t kPollMillis = 10;
constexpr uint32_t kSlowDownMillis = 65;
} // namespace

int CheckPauseKeys() {
    if (PageLines != 0) return 0;
    uint32_t mode = 0xFFFFFFFF;
    if (!sys::ConsoleMode(sys::StdHandle(sys::StdStream::Output), &mode) || mode == 0xFFFFFFFF)
        return 0;
    if (sys::KeyIsDown(sys::KeyName::Escape)) {
        uint32_t rows = 0;
        PageLines = WindowRowsForPaging(&rows) ? rows - 2 : 0;
        LinesLeft = 1; // the prompt comes at the next line end
        while (sys::KeyIsDown(sys::KeyName::Escape)) sys::SleepMillis(kPollMillis);
        EatKeystrokes();
    } else if (sys::KeyIsDown(sys::KeyName::Control)) {
        sys::SleepMillis(kSlowDownMillis);
    }
    return 0;
}
