// UTC to local time in the current time zone.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

bool LocalTimeOf(const SystemTime& utc, SystemTime* local) {
    SYSTEMTIME in{utc.year, utc.month,  utc.dayOfWeek, utc.day,
                  utc.hour, utc.minute, utc.second,    utc.milliseconds};
    SYSTEMTIME out{};
    if (local == nullptr || !SystemTimeToTzSpecificLocalTime(nullptr, &in, &out)) return false;
    *local = SystemTime{out.wYear, out.wMonth,  out.wDayOfWeek, out.wDay,
                        out.wHour, out.wMinute, out.wSecond,    out.wMilliseconds};
    return true;
}

} // namespace sys
