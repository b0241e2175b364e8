// The console control handler and the Ctrl-C mark.
#include "console/interrupt.h"

#include "console/console_output.h"
#include "console/console_window.h"
#include "frame/plugin_state.h"
#include "text/u16.h"

volatile int32_t CtrlCPressed = 0;
int32_t CtrlHandlerInstalled = 0;

namespace {

// Whether the installed handler takes the events: from InstallCtrlHandler to RemoveCtrlHandler.
volatile int32_t CtrlHandlerTakesEvents = 0;

} // namespace

int ConsoleCtrlHandler(uint32_t event) {
    if (CtrlHandlerTakesEvents == 0) return 0;
    if (event != sys::kCtrlCEvent && event != sys::kCtrlBreakEvent) return 0;
    CtrlCPressed = 1;
    return 1;
}

void InstallCtrlHandler() {
    CtrlCPressed = 0;
    // Without the handler Ctrl-C goes to the host as it would without the plug-in.
    if (CtrlHandlerInstalled == 0)
        CtrlHandlerInstalled = sys::AddControlHandler(ConsoleCtrlHandler) ? 1 : 0;
    CtrlHandlerTakesEvents = CtrlHandlerInstalled;
}

void RemoveCtrlHandler() {
    CtrlCPressed = 0;
    CtrlHandlerTakesEvents = 0;
    if (CtrlHandlerInstalled != 1) return;
    // A handler that could not be removed lets every event through until a later removal, at
    // the next command's end or at unload, takes it away: it must not outlive the library.
    if (sys::RemoveControlHandler(ConsoleCtrlHandler)) CtrlHandlerInstalled = 0;
}

void ShowCtrlC() {
    const uint32_t replaced = SetMarkColor();
    WriteToConsoleDevice(u"\r ^C \n");
    // The host keeps the mark colour as its own until the next output sets the colours again.
    SetConsoleColor(ConsoleOut, static_cast<uint16_t>(replaced));
}
