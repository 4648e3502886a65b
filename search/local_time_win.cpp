// ConvertMailTimeToLocal through the platform's calendar.
#include <windows.h>

#include <cstdint>

#include "search/mail_date.h"

static const uint64_t kUnitsPerMinute = 600000000ULL;
static const uint64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFFULL;

bool ConvertMailTimeToLocal(const CalendarTime& fields, int zoneMinutes, CalendarTime* local) {
    SYSTEMTIME utc = {};
    utc.wYear = static_cast<WORD>(fields.year);
    utc.wMonth = static_cast<WORD>(fields.month);
    utc.wDay = static_cast<WORD>(fields.day);
    utc.wHour = static_cast<WORD>(fields.hour);
    utc.wMinute = static_cast<WORD>(fields.minute);
    utc.wSecond = static_cast<WORD>(fields.second);
    FILETIME fileTime;
    if (!SystemTimeToFileTime(&utc, &fileTime)) return false;

    uint64_t units =
        (static_cast<uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    // A zone shift past either end of the representable range has no time.
    uint64_t shift =
        static_cast<uint64_t>(zoneMinutes < 0 ? -zoneMinutes : zoneMinutes) * kUnitsPerMinute;
    if (zoneMinutes > 0) {
        if (shift > units) return false;
        units -= shift;
    } else {
        if (shift > kMaxFileTime - units) return false;
        units += shift;
    }
    fileTime.dwLowDateTime = static_cast<DWORD>(units);
    fileTime.dwHighDateTime = static_cast<DWORD>(units >> 32);

    FILETIME localTime;
    SYSTEMTIME converted;
    if (!FileTimeToLocalFileTime(&fileTime, &localTime)) return false;
    if (!FileTimeToSystemTime(&localTime, &converted)) return false;
    local->year = converted.wYear;
    local->month = converted.wMonth;
    local->day = converted.wDay;
    local->hour = converted.wHour;
    local->minute = converted.wMinute;
    local->second = converted.wSecond;
    return true;
}
