// Messages written to hurt: huge lines and header blocks, folded-only blocks,
// NUL bytes, names far past MAX_PATH, names cut off by the end of the source,
// and dates at the edges of the calendar. Each is searched end to end through
// the window, and each ends with the session's leak and heap checks.
#include <windows.h>
// The controls' declarations need <windows.h> first.
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "tests/win/hostile_support.h"

namespace {

using namespace std::string_literals;

struct HostileMessages : HostileSession {};

std::string Repeat(const std::string& piece, size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) text += piece;
    return text;
}

// What the host makes of a quoted name, asked directly.
std::string HostConversion(const std::string& quoted) {
    std::string writable = quoted;
    char buffer[257] = "";
    const char* converted = g_hostApi.BKA_MIMEHeader(&writable[0], buffer, 256, 0);
    return converted ? converted : "<absent>";
}

int RowIcon(int row) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(ResultList(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

TEST_F(HostileMessages, SixtyFourMegabyteLines) {
    const std::string filler(64u << 20, 'x');
    DWORD start = GetTickCount();
    store = MakeTempMailStore();
    // Without a line end the line is never looked at.
    WriteMessage(store, "Inbox\\", "1.eml",
                 "Content-Type: application/octet-stream; name=" + filler);
    // With one, the name after 64 MB of value is found.
    WriteMessage(store, "Inbox\\", "2.eml",
                 "Subject: big\r\nContent-Type: application/octet-stream; " + filler +
                     " name=big.bin\r\n\r\nbody\r\n");
    OpenStore();
    Search(false);
    EXPECT_EQ(FileNames(), (Strings{"big.bin"}));
    EXPECT_EQ(Field(&AttachmentRecord::subject), (Strings{"big"}));
    EXPECT_EQ(DevhostGetCounters().sourcesHandedOut, 2);
    RecordProperty("milliseconds", static_cast<int>(GetTickCount() - start));
}

TEST_F(HostileMessages, AMillionHeaderLines) {
    const size_t kLines = 1000000;
    // A million candidate lines without a name, then one with a name.
    std::string candidates = "Subject: many\r\n" + Repeat("Content-Type: text/plain\r\n", kLines) +
                             "Content-Disposition: attachment; filename=last.txt\r\n\r\n";
    // A million names in one header block: only the first is recorded.
    std::string names =
        Repeat("Content-Disposition: attachment; filename=same.txt\r\n", kLines) + "\r\n";
    // A million Subject lines: every one is cut, the last one wins.
    std::string subjects = Repeat("Subject: s\r\n", kLines - 1) + "Subject: final\r\n" +
                           "Content-Type: a/b; name=subject.txt\r\n\r\n";
    Open({{"Inbox\\", "1.eml", candidates},
          {"Inbox\\", "2.eml", names},
          {"Inbox\\", "3.eml", subjects}});
    Search(false);
    EXPECT_EQ(FileNames(), (Strings{"last.txt", "same.txt", "subject.txt"}));
    EXPECT_EQ(Field(&AttachmentRecord::subject), (Strings{"many", "<absent>", "final"}));
    EXPECT_EQ(Column(0), FileNames());
}

TEST_F(HostileMessages, HeaderBlocksOfFoldedLines) {
    Open({// Every line a continuation: one logical line that starts with a blank.
          {"Inbox\\", "1.eml", Repeat(" Content-Type: a/b; name=x.txt\r\n", 200000)},
          {"Inbox\\", "2.eml", "\tContent-Disposition: attachment; filename=y.txt\r\n\r\n"},
          // An empty line before a continuation starts a logical line with CR.
          {"Inbox\\", "3.eml", "\r\n\tContent-Type: a/b; name=z.txt\r\n\r\n"},
          // One logical line of a hundred thousand physical ones.
          {"Inbox\\", "4.eml",
           "Content-Type: application/octet-stream;\r\n" + Repeat("\tx=y;\r\n", 100000) +
               "\tname=folded.zip\r\n\r\n"},
          // A blank-led line after an empty one does not end the block.
          {"Inbox\\", "5.eml",
           "Content-Disposition: attachment; filename=first.txt\r\n\r\n\tcontinued\r\n"
           "Content-Type: a/b; name=second.txt\r\n\r\n"
           "Content-Type: a/b; name=third.txt\r\n\r\n"}});
    Search(false);
    EXPECT_EQ(FileNames(), (Strings{"folded.zip", "first.txt", "third.txt"}));
}

TEST_F(HostileMessages, NulBytesEndTheSource) {
    Open({{"Inbox\\", "1.eml",
           "Content-Disposition: attachment; filename=a.txt\r\n\r\n\0"
           "Content-Disposition: attachment; filename=b.txt\r\n\r\n"s},
          {"Inbox\\", "2.eml", "Content-Disposition: attachment; filename=ab\0cd.txt\r\n\r\n"s},
          {"Inbox\\", "3.eml", "Content-Disposition: attachment; filename=c.txt\r\0\n\r\n"s},
          {"Inbox\\", "4.eml", "\0Content-Disposition: attachment; filename=d.txt\r\n\r\n"s},
          {"Inbox\\", "5.eml",
           "Subject: sub\r\nContent-Disposition: attachment; filename=e.txt\r\n\r\nbo\0dy\r\n"s}});
    Search(false);
    EXPECT_EQ(FileNames(), (Strings{"a.txt", "e.txt"}));
    EXPECT_EQ(Field(&AttachmentRecord::subject), (Strings{"<absent>", "sub"}));
}

// An unquoted name has no length limit; the shell is asked about a short name
// with the same extension. A quoted one is what the host's conversion makes.
TEST_F(HostileMessages, NamesPastMaxPath) {
    const std::string sjis = Repeat("\x82\xa0", 150);  // 300 bytes of a double-byte letter
    const Strings unquoted = {std::string(296, 'n') + ".pdf", std::string(4000, 'm') + ".txt",
                              sjis + ".txt", std::string(1000, 'k'), "a." + std::string(300, 'e')};
    const Strings quoted = {std::string(296, 'q') + ".pdf", sjis + ".doc"};
    std::vector<StoreMessage> messages;
    int n = 0;
    for (const std::string& name : unquoted) {
        messages.push_back({"Inbox\\", std::to_string(++n) + ".eml",
                            OneHeaderLine("Content-Disposition: attachment; filename=" + name)});
    }
    for (const std::string& name : quoted) {
        messages.push_back({"Inbox\\", std::to_string(++n) + ".eml",
                            OneHeaderLine("Content-Type: a/b; name=\"" + name + "\"")});
    }
    Open(messages);
    Search(false);

    Strings expected = unquoted;
    for (const std::string& name : quoted) expected.push_back(HostConversion(name));
    EXPECT_EQ(expected[5].size(), 255u);  // the host cut it to its buffer
    EXPECT_EQ(expected[6].size(), 254u);  // at a character boundary
    ASSERT_EQ(FileNames(), expected);
    ASSERT_EQ(RowCount(), static_cast<int>(expected.size()));

    // Short names with the same extensions; the converted names fit as they are.
    const Strings shortNames = {"x.pdf", "x.txt", "x.txt", "x", "", expected[5], expected[6]};
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        int row = static_cast<int>(i);
        if (expected[i].size() < 1000) {
            EXPECT_EQ(CellText(row, 0), expected[i]);
        }
        if (shortNames[i].empty()) {
            EXPECT_NE(g_searchState->results[i]->typeName.node, nullptr);
            continue;
        }
        int icon = -1;
        EXPECT_EQ(CellText(row, 1), ShellTypeName(shortNames[i], &icon));
        EXPECT_EQ(RowIcon(row), icon);
    }
    // The filter reads the whole name, however long.
    ApplyFilterText("PDF");
    EXPECT_EQ(Column(0), (Strings{unquoted[0]}));
}

TEST_F(HostileMessages, NamesCutOffByTheEndOfTheSource) {
    Open({{"Inbox\\", "1.eml", "Content-Type: a/b; name="},
          {"Inbox\\", "2.eml", "Content-Disposition: attachment; filename="},
          {"Inbox\\", "3.eml", "Content-Type: a/b; name=\"abc"},
          {"Inbox\\", "4.eml", "Content-Type: a/b; name=\""},
          {"Inbox\\", "5.eml", "Content-Type: a/b; name=\r\n"},
          {"Inbox\\", "6.eml", "Content-Type: a/b; name=\"abc\r\n"},
          {"Inbox\\", "7.eml", "Content-Type: a/b; name=\"abc\r\n\tdef\r\n"},
          {"Inbox\\", "8.eml", "Content-Type: a/b; name=\"\r\n"}});
    Search(false);
    // Lines without a line end are never examined; an unclosed quote runs to
    // the end of the logical line, continuation included.
    EXPECT_EQ(FileNames(), (Strings{"", HostConversion("abc"), HostConversion("abc\r\n\tdef"),
                                    HostConversion("")}));
    EXPECT_EQ(CellText(0, 1), ShellTypeName(""));
}

TEST_F(HostileMessages, DatesAtTheEdgesOfTheCalendar) {
    struct Case {
        const char* value;
        const char* local;  // in UTC+9, or null when the date is absent
    };
    const Case cases[] = {
        {"Mon, 1 Jan 1601 00:00:00 +0900", nullptr},  // before the first representable time
        {"1 Jan 1601 00:00:00 +0001", nullptr},
        {"1 Jan 1601 00:00:00 +0000", "1601/01/01 09:00:00"},
        {"1 Jan 1601 00:00:00 -9999", "1601/01/05 13:39:00"},
        {"31 Dec 9999 23:59:59 -0100", nullptr},  // past the year 9999
        {"31 Dec 9999 14:59:59 +0000", "9999/12/31 23:59:59"},
        {"31 Dec 9999 15:00:00 +0000", nullptr},  // local time reaches the year 10000
        {"0 Jan 2020 10:00:00 +0900", nullptr},
        {"00 Jan 2020 10:00:00 +0900", nullptr},
        {"31 Feb 2020 10:00:00 +0900", nullptr},
        {"30 Feb 2020 10:00:00 +0900", nullptr},
        {"29 Feb 2020 10:00:00 +0900", "2020/02/29 10:00:00"},
        {"29 Feb 2021 10:00:00 +0900", nullptr},
        {"1 Jan 0000 10:00:00 +0900", nullptr},
        {"1 Jan 2020 24:00:00 +0900", nullptr},
        {"1 Jan 2020 23:60:00 +0900", nullptr},
    };
    std::vector<StoreMessage> messages;
    Strings expected;
    int n = 0;
    for (const Case& c : cases) {
        std::string id = std::to_string(++n);
        id.insert(0, 3 - id.size(), '0');  // listed in this order
        messages.push_back({"Inbox\\", id + ".eml",
                            "Subject: " + id + "\r\nDate: " + c.value +
                                "\r\nContent-Disposition: attachment; filename=" + id +
                                ".txt\r\n\r\n"});
        expected.push_back(c.local ? c.local : "<absent>");
    }
    Open(messages);
    Search(false);
    EXPECT_EQ(Field(&AttachmentRecord::date), expected);
    // Sorting the date column keeps absent dates first and the rest in time order.
    ClickColumn(4);
    Strings column = Column(4);
    EXPECT_TRUE(std::is_sorted(column.begin(), column.end()));
}

}  // namespace
