// The time of day in UTC.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

SystemTime SystemTimeUtc() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return SystemTime{now.wYear, now.wMonth,  now.wDayOfWeek, now.wDay,
                      now.wHour, now.wMinute, now.wSecond,    now.wMilliseconds};
}

} // namespace sys
