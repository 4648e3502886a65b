#include "search/header_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Fields {
    std::string subject, sender, date;
    std::vector<char> text;
};

Fields Find(const std::string& header) {
    Fields f;
    f.text.assign(header.begin(), header.end());
    f.text.push_back('\0');
    int32_t s = -1, from = -1, d = -1;
    FindHeaderFields(f.text.data(), &s, &from, &d);
    f.subject = s == -1 ? "<none>" : std::string(f.text.data() + s);
    f.sender = from == -1 ? "<none>" : std::string(f.text.data() + from);
    f.date = d == -1 ? "<none>" : std::string(f.text.data() + d);
    return f;
}

TEST(HeaderFields, CutsTheThreeValuesInPlace) {
    Fields f = Find("Subject: Hello\r\nFrom: Taro\r\nDate: Mon, 7 Feb 2011 12:34:56 +0900\r\n");
    EXPECT_EQ(f.subject, "Hello");
    EXPECT_EQ(f.sender, "Taro");
    EXPECT_EQ(f.date, "Mon, 7 Feb 2011 12:34:56 +0900");
    EXPECT_EQ(f.text[14], '\0');  // the first CR became a NUL, its LF stays
    EXPECT_EQ(f.text[15], '\n');
}

TEST(HeaderFields, NamesAreExactAndAtLineStart) {
    Fields f =
        Find("FROM: a\r\nfrom: b\r\nSubject : c\r\nResent-From: d\r\nX-Date: e\r\nSubject:x\r\n");
    EXPECT_EQ(f.subject, "x");
    EXPECT_EQ(f.sender, "<none>");
    EXPECT_EQ(f.date, "<none>");
}

TEST(HeaderFields, ValuesAndBlanks) {
    EXPECT_EQ(Find("From:\tName\r\n").sender, "Name");
    EXPECT_EQ(Find("Subject:\r\nFrom: x\r\n").subject, "");
    EXPECT_EQ(Find("Subject:   \r\n").subject, "");
    EXPECT_EQ(Find("Subject: a\rb\r\n").subject, "a\rb");
    EXPECT_EQ(Find("Subject: trailing  \r\n").subject, "trailing  ");
    EXPECT_EQ(Find("Subject: \x81\x40x\r\n").subject, "\x81\x40x");
    // A value right after the colon keeps its first byte.
    EXPECT_EQ(Find("From:Taro\r\n").sender, "Taro");
    EXPECT_EQ(Find("Date:7 Feb 2011 10:00:00 +0900\r\n").date, "7 Feb 2011 10:00:00 +0900");
    // A lone CR belongs to the line, whatever byte follows it.
    EXPECT_EQ(Find("Subject: a\r\x82\xA0\r\n").subject, "a\r\x82\xA0");
    EXPECT_EQ(Find("Subject: a\r\x01\r\n").subject, "a\r\x01");
    // Folded lines are not joined.
    EXPECT_EQ(Find("Subject: =?ISO-2022-JP?B?GyRC?=\r\n =?ISO-2022-JP?B?GyhC?=\r\n").subject,
              "=?ISO-2022-JP?B?GyRC?=");
}

TEST(HeaderFields, LastLineWinsAndUnterminatedLinesAreIgnored) {
    Fields f = Find("Date: one\r\nDate: two\r\nFrom: a\r\nDate: three");
    EXPECT_EQ(f.date, "two");
    EXPECT_EQ(Find("").subject, "<none>");
    EXPECT_EQ(Find("Subject: no line end").subject, "<none>");
}

}  // namespace
