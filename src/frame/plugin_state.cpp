// Process-wide state of the plug-in; the module's entry fills it in.
#include "frame/plugin_state.h"

const void* ModuleInstance = nullptr;

sys::Handle ConsoleOut = nullptr;
