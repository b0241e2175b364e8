// UTC to local time in the time zone of the process (TZ, else the system's).
#include <ctime>

#include "sys/sys.h"

namespace sys {

bool LocalTimeOf(const SystemTime& utc, SystemTime* local) {
    // Windows refuses fields out of range rather than carrying them over.
    if (local == nullptr || utc.year < 1601 || utc.month < 1 || utc.month > 12 || utc.day < 1 ||
        utc.day > 31 || utc.hour > 23 || utc.minute > 59 || utc.second > 59 ||
        utc.milliseconds > 999)
        return false;
    std::tm fields{};
    fields.tm_year = utc.year - 1900;
    fields.tm_mon = utc.month - 1;
    fields.tm_mday = utc.day;
    fields.tm_hour = utc.hour;
    fields.tm_min = utc.minute;
    fields.tm_sec = utc.second;
    time_t seconds = timegm(&fields);
    std::tm converted{};
    tzset();
    if (localtime_r(&seconds, &converted) == nullptr) return false;
    *local = SystemTime{static_cast<uint16_t>(converted.tm_year + 1900),
                        static_cast<uint16_t>(converted.tm_mon + 1),
                        static_cast<uint16_t>(converted.tm_wday),
                        static_cast<uint16_t>(converted.tm_mday),
                        static_cast<uint16_t>(converted.tm_hour),
                        static_cast<uint16_t>(converted.tm_min),
                        static_cast<uint16_t>(converted.tm_sec > 59 ? 59 : converted.tm_sec),
                        utc.milliseconds};
    return true;
}

} // namespace sys
