// A message's Date value turned into local time "%04d/%02d/%02d %02d:%02d:%02d".
#pragma once

struct CalendarTime {
    int year, month, day, hour, minute, second;
};

// Reads day, month, year, optional time and numeric zone (minutes east of UTC).
bool ParseMailDate(const char* value, CalendarTime* fields, int* zoneMinutes);
// The platform's conversion: fields taken as UTC, shifted by the zone, then to
// local time with the bias in force now. False when no valid time or out of range.
bool ConvertMailTimeToLocal(const CalendarTime& fields, int zoneMinutes, CalendarTime* local);
// Writes the 19-character local date and its NUL; false leaves buffer untouched.
bool FormatMailDate(const char* value, char* buffer);
