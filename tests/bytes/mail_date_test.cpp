#include "search/mail_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The zone the test runs in, from TZ: the expectations differ by nine hours.
bool InTokyo() {
    const char* tz = std::getenv("TZ");
    return tz && std::strcmp(tz, "Asia/Tokyo") == 0;
}

std::string Format(const char* value) {
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    buffer[255] = '\0';
    if (!FormatMailDate(value, buffer)) {
        EXPECT_EQ(buffer[0], '#') << "buffer touched after a failure: " << value;
        return "false";
    }
    return buffer;
}

TEST(MailDate, ReadsTheLenientLayout) {
    struct {
        const char* value;
        const char* tokyo;
        const char* utc;
    } cases[] = {
        {"Mon, 7 Feb 2011 12:34:56 +0900", "2011/02/07 12:34:56", "2011/02/07 03:34:56"},
        {"7 Feb 2011 12:34:56 -0130", "2011/02/07 23:04:56", "2011/02/07 14:04:56"},
        {"Sun, 31 Jan 2010 23:59 GMT", "2010/02/01 08:59:00", "2010/01/31 23:59:00"},
        {"Fri, 12 Mar 2010 1230 +0000", "2010/03/12 21:30:00", "2010/03/12 12:30:00"},
        {"Wed, 3 Mar 2010 10:20:30 +09:00", "2010/03/03 19:20:30", "2010/03/03 10:20:30"},
        {"x, 05Jan2010 102030-0800", "2010/01/06 03:20:30", "2010/01/05 18:20:30"},
        {"Tue,  1 Dec 2009 9:05:00 +0900", "2009/12/01 09:00:00", "2009/12/01 00:00:00"},
        {"  7 Feb 2011", "2011/02/07 09:00:00", "2011/02/07 00:00:00"},
        {"7 Feb 2011 10:00:00 +0099", "2011/02/07 17:21:00", "2011/02/07 08:21:00"},
        {", 7 Feb 2011 10:00:00 +0900 (JST)", "2011/02/07 10:00:00", "2011/02/07 01:00:00"},
        {"7 Feb 2011 :30 +0900", "2011/02/07 09:00:00", "2011/02/07 00:00:00"},       // no hour
        {"7 Feb 2011 10:00:00 .0900", "2011/02/07 19:00:00", "2011/02/07 10:00:00"},  // no sign
        {"1 Jan 2011 23:59:59 +0000", "2011/01/02 08:59:59", "2011/01/01 23:59:59"},
        {"1 Jan 1601 10:00:00 +0100", "1601/01/01 18:00:00", "1601/01/01 09:00:00"},
        {"31 Dec 9999 10:00:00 +0000", "9999/12/31 19:00:00", "9999/12/31 10:00:00"},
        {"Sat, 1 Jan 11 10:00:00 +0900", "false", "false"},
        {"7 February 2011 10:00:00 +0900", "false", "false"},
        {"7 feb 2011", "false", "false"},
        {"Mon 7 Feb 2011 10:00:00 +0900", "false", "false"},
        {"123 Feb 2011", "false", "false"},
        {"", "false", "false"},
        {"   ", "false", "false"},
        {"Mon, Feb 2011", "false", "false"},
    };
    bool tokyo = InTokyo();
    for (const auto& c : cases) EXPECT_EQ(Format(c.value), tokyo ? c.tokyo : c.utc) << c.value;
}

TEST(MailDate, NoCalendarTimeMeansFalse) {
    const char* values[] = {
        "0 Jan 2011 10:00:00 +0000",  "31 Feb 2011 10:00:00 +0000", "29 Feb 2011",
        "1 Jan 2011 24:00:00 +0000",  "1 Jan 2011 10:60:00 +0000",  "1 Jan 1600",
        "1 Jan 2011 10:00:60 +0000",
        "1 Jan 1601 00:00:00 +0100",   // before the start of the calendar after the shift
        "31 Dec 9999 23:59:59 -2359",  // a five-digit year after the shift
    };
    for (const char* value : values) EXPECT_EQ(Format(value), "false") << value;
    EXPECT_EQ(Format("29 Feb 2012 00:00:00 +0000"),
              InTokyo() ? "2012/02/29 09:00:00" : "2012/02/29 00:00:00");
}

// Each month's own length, and February's in leap years only.
TEST(MailDate, MonthLengths) {
    const struct {
        const char* value;
        const char* day;
    } dates[] = {{"31 Jan 2012", "2012/01/31"}, {"29 Feb 2012", "2012/02/29"},
                 {"31 Mar 2012", "2012/03/31"}, {"30 Mar 2012", "2012/03/30"},
                 {"30 Apr 2012", "2012/04/30"}, {"31 May 2012", "2012/05/31"},
                 {"30 Jun 2012", "2012/06/30"}, {"31 Jul 2012", "2012/07/31"},
                 {"31 Aug 2012", "2012/08/31"}, {"30 Sep 2012", "2012/09/30"},
                 {"31 Oct 2012", "2012/10/31"}, {"30 Nov 2012", "2012/11/30"},
                 {"31 Dec 2012", "2012/12/31"}, {"28 Feb 2011", "2011/02/28"},
                 {"29 Feb 2000", "2000/02/29"}};
    const std::string midnight = InTokyo() ? " 09:00:00" : " 00:00:00";
    for (const auto& d : dates) EXPECT_EQ(Format(d.value), d.day + midnight) << d.value;
    const char* noDates[] = {"32 Jan 2012", "30 Feb 2012", "32 Mar 2011", "31 Apr 2012",
                             "32 May 2012", "31 Jun 2011", "32 Jul 2012", "32 Aug 2012",
                             "31 Sep 2012", "32 Oct 2011", "31 Nov 2012", "32 Dec 2012",
                             "29 Feb 1900", "29 Feb 2100"};
    for (const char* value : noDates) EXPECT_EQ(Format(value), "false") << value;
}

TEST(MailDate, ParsesFieldsAndZone) {
    CalendarTime t;
    int zone = 1;
    ASSERT_TRUE(ParseMailDate("Thu, 01 Jan 2015 0102 -0130 junk", &t, &zone));
    EXPECT_EQ(t.year, 2015);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.hour, 1);
    EXPECT_EQ(t.minute, 2);
    EXPECT_EQ(t.second, 0);
    EXPECT_EQ(zone, -90);
    ASSERT_TRUE(ParseMailDate("1 Jan 20155", &t, &zone));  // the fifth digit is read as the hour
    EXPECT_EQ(t.hour, 0);
    EXPECT_EQ(zone, 0);
}

}  // namespace
