// The console control handler and the Ctrl-C mark.
#include "console/interrupt.h"

#include "console/console_output.h"
#include "frame/plugin_state.h"
#include "text/u16.h"

volatile int32_t CtrlCPressed = 0;
int32_t CtrlHandlerInstalled = 0;

int ConsoleCtrlHandler(uint32_t event) {
    if (event != sys::kCtrlCEvent && event != sys::kCtrlBreakEvent) return 0;
    CtrlCPressed = 1;
    return 1;
}

void InstallCtrlHandler() {
    CtrlCPressed = 0;
    if (CtrlHandlerInstalled != 0) return;
    sys::AddControlHandler(ConsoleCtrlHandler);
    CtrlHandlerInstalled = 1;
}

void RemoveCtrlHandler() {
    CtrlCPressed = 0;
    if (CtrlHandlerInstalled != 1) return;
    sys::RemoveControlHandler(ConsoleCtrlHandler);
    CtrlHandlerInstalled = 0;
}

void ShowCtrlC() {
    const uint32_t replaced = SetMarkColor();
    static constexpr char16_t kMark[] = u"\r ^C \n";
    if (ConsoleOut != nullptr) sys::WriteText(ConsoleOut, kMark, text::Length(kMark));
    // The host keeps the mark colour as its own until the next output sets the colours again.
    sys::SetConsoleTextAttribute(ConsoleOut, static_cast<uint16_t>(replaced));
}
