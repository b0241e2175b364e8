// Environment, process id and time.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

uint32_t GetEnv(const char16_t* name, char16_t* out, uint32_t capacity) {
    if (name == nullptr || name[0] == 0) return 0;
    if (out == nullptr) capacity = 0;
    return GetEnvironmentVariableW(win32::Wide(name), win32::Wide(out), capacity);
}

bool SetEnv(const char16_t* name, const char16_t* value) {
    if (name == nullptr || name[0] == 0) return false;
    bool removing = value == nullptr || value[0] == 0;
    if (SetEnvironmentVariableW(win32::Wide(name), removing ? nullptr : win32::Wide(value)))
        return true;
    // Removing a variable that is not there leaves the wanted state.
    return removing && GetLastError() == ERROR_ENVVAR_NOT_FOUND;
}

uint32_t ProcessId() {
    return GetCurrentProcessId();
}
void SleepMillis(uint32_t millis) {
    Sleep(millis);
}
uint32_t TickCount() {
    return GetTickCount();
}

} // namespace sys
