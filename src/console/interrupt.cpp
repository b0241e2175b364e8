#include "console/interrupt.h"

volatile int32_t CtrlCPressed = 0;
int32_t CtrlHandlerInstalled = 0;

// The console control handler is not hooked into the system yet: only the state is kept.
void InstallCtrlHandler() {
    CtrlHandlerInstalled = 1;
}
void RemoveCtrlHandler() {
    CtrlHandlerInstalled = 0;
}
