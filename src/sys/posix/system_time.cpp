// The time of day in UTC, in the Windows SYSTEMTIME layout.
#include <ctime>

#include "sys/sys.h"

namespace sys {

SystemTime SystemTimeUtc() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    return SystemTime{static_cast<uint16_t>(utc.tm_year + 1900),
                      static_cast<uint16_t>(utc.tm_mon + 1), static_cast<uint16_t>(utc.tm_wday),
                      static_cast<uint16_t>(utc.tm_mday), static_cast<uint16_t>(utc.tm_hour),
                      static_cast<uint16_t>(utc.tm_min),
                      // A leap second reads as the last ordinary one, as Windows never shows 60.
                      static_cast<uint16_t>(utc.tm_sec > 59 ? 59 : utc.tm_sec),
                      static_cast<uint16_t>(now.tv_nsec / 1000000)};
}

} // namespace sys
