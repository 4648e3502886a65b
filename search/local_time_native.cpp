// The calendar conversion for native builds (sanitizers, fuzzers): the same
// rules as the platform's, with the local bias in force now.
#include <cstdint>
#include <ctime>

#include "search/mail_date.h"

static const int64_t kSecondsPerDay = 86400;
// Seconds from 1601-01-01 to 1970-01-01.
static const int64_t kEpochShift = 11644473600LL;

// Days since 1970-01-01 of a proleptic Gregorian date.
static int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

static void CivilFromDays(int64_t z, CalendarTime* out) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out->year = static_cast<int>(yoe + era * 400 + (m <= 2));
    out->month = m;
    out->day = d;
}

static int64_t CurrentBiasSeconds() {
    std::time_t now = std::time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    return local.tm_gmtoff;
}

bool ConvertMailTimeToLocal(const CalendarTime& f, int zoneMinutes, CalendarTime* local) {
    // The fields form a calendar time already (checked by the caller).
    // Seconds since 1601, the platform's file-time origin; its range is
    // 0 to 2^63 - 1 units of 100 ns.
    const int64_t maxSeconds = 0x7FFFFFFFFFFFFFFFLL / 10000000;
    int64_t seconds = (DaysFromCivil(f.year, f.month, f.day) * kSecondsPerDay + kEpochShift) +
                      f.hour * 3600 + f.minute * 60 + f.second - int64_t(zoneMinutes) * 60;
    if (seconds < 0 || seconds > maxSeconds) return false;
    seconds += CurrentBiasSeconds();
    if (seconds < 0 || seconds > maxSeconds) return false;
    int64_t unixSeconds = seconds - kEpochShift;
    int64_t days = unixSeconds >= 0 ? unixSeconds / kSecondsPerDay
                                    : -((-unixSeconds + kSecondsPerDay - 1) / kSecondsPerDay);
    int64_t rest = unixSeconds - days * kSecondsPerDay;
    CivilFromDays(days, local);
    local->hour = static_cast<int>(rest / 3600);
    local->minute = static_cast<int>(rest / 60 % 60);
    local->second = static_cast<int>(rest % 60);
    return true;
}
