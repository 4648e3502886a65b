#include "search/mail_date.h"

#include <cstring>

static const char kMonthNames[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

static bool IsBlank(unsigned char c) {
    return c >= 0x01 && c <= 0x20;
}
static bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

static const char* SkipBlanks(const char* p) {
    while (IsBlank(static_cast<unsigned char>(*p))) ++p;
    return p;
}

// Two digits at p, taken only when both are there; otherwise 0 and p stays.
static int TakeTwoDigits(const char** p) {
    const char* s = *p;
    if (!IsDigit(s[0]) || !IsDigit(s[1])) return 0;
    *p = s + 2;
    return (s[0] - '0') * 10 + (s[1] - '0');
}

bool ParseMailDate(const char* value, CalendarTime* fields, int* zoneMinutes) {
    const char* p = SkipBlanks(value);
    if (!IsDigit(*p)) {
        while (*p && *p != ',') ++p;
        if (!*p) return false;
        p = SkipBlanks(p + 1);
        if (!IsDigit(*p)) return false;
    }

    int day = *p++ - '0';
    if (IsDigit(*p)) day = day * 10 + (*p++ - '0');
    p = SkipBlanks(p);

    int month = 0;
    for (int i = 0; i < 12 && !month; ++i) {
        if (std::strncmp(p, kMonthNames[i], 3) == 0) month = i + 1;
    }
    if (!month) return false;
    p = SkipBlanks(p + 3);

    int year = 0;
    for (int i = 0; i < 4; ++i, ++p) {
        if (!IsDigit(*p)) return false;
        year = year * 10 + (*p - '0');
    }
    p = SkipBlanks(p);

    const char* before = p;
    int hour = TakeTwoDigits(&p);
    if (p != before && *p == ':') ++p;
    before = p;
    int minute = TakeTwoDigits(&p);
    if (p != before && *p == ':') ++p;
    int second = TakeTwoDigits(&p);
    p = SkipBlanks(p);

    int zone = 0;
    if ((*p == '+' || *p == '-') && IsDigit(p[1]) && IsDigit(p[2]) && IsDigit(p[3]) &&
        IsDigit(p[4])) {
        zone = ((p[1] - '0') * 10 + (p[2] - '0')) * 60 + (p[3] - '0') * 10 + (p[4] - '0');
        if (*p == '-') zone = -zone;
    }

    fields->year = year;
    fields->month = month;
    fields->day = day;
    fields->hour = hour;
    fields->minute = minute;
    fields->second = second;
    *zoneMinutes = zone;
    return true;
}

static int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The platform's calendar rules, checked here too: not every implementation
// of the conversion refuses a day past the end of its month.
static bool IsCalendarTime(const CalendarTime& t) {
    return t.year >= 1601 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= DaysInMonth(t.year, t.month) && t.hour <= 23 && t.minute <= 59 &&
           t.second <= 59;
}

static char* PutDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

bool FormatMailDate(const char* value, char* buffer) {
    CalendarTime fields;
    int zone = 0;
    if (!ParseMailDate(value, &fields, &zone) || !IsCalendarTime(fields)) return false;
    CalendarTime local;
    if (!ConvertMailTimeToLocal(fields, zone, &local)) return false;
    // A year past 9999 would break the column's fixed width and text order.
    if (local.year < 0 || local.year > 9999) return false;
    const int parts[6] = {local.year, local.month,  local.day,
                          local.hour, local.minute, local.second};
    char* out = buffer;
    for (int i = 0; i < 6; ++i) {
        if (i) *out++ = " // ::"[i];  // the separator before each part
        out = PutDigits(out, parts[i], i ? 2 : 4);
    }
    *out = '\0';
    return true;
}
