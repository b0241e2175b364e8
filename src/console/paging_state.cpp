// The paging and colour state of the running command, and the page length from the window.
#include "console/console_output.h"
#include "console/console_window.h"

uint32_t PageLines = 0;
uint32_t LinesLeft = 0;
uint32_t PauseMillis = 0;
uint8_t NormalAttr = 0;
uint8_t HighlightAttr = 0;

namespace {
// Windows with fewer or more rows than these are no pages worth prompting for.
constexpr uint32_t kFewestRows = 10;
constexpr uint32_t kMostRows = 100;
} // namespace

void ResetCommandOutput() {
    PageLines = 0;
    LinesLeft = 0;
    PauseMillis = 0;
    CtrlCPressed = 0;
    NormalAttr = 0;
    HighlightAttr = 0;
}

bool WindowRowsForPaging(uint32_t* rows) {
    uint32_t value = 0;
    if (!sys::ConsoleWindowRows(sys::StdHandle(sys::StdStream::Output), &value)) return false;
    if (value < kFewestRows || value > kMostRows) return false;
    *rows = value;
    return true;
}

void SetPageLength(uint32_t pauseLines) {
    uint32_t rows = 0;
    if (!WindowRowsForPaging(&rows))
        PageLines = 0;
    else if (pauseLines >= 3 && pauseLines < rows)
        PageLines = pauseLines;
    else
        PageLines = rows - 2; // room for the prompt and the line above it
    LinesLeft = PageLines;
}
