#include "search/scanner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "search/search_state.h"
#include "tests/bytes/fake_host.h"

namespace {

const char kHeader[] =
    "Subject: Report\r\nFrom: Taro <taro@example.jp>\r\nDate: Mon, 7 Feb 2011 12:34:56 +0900\r\n";

struct ScannerTest : ::testing::Test {
    FakeHost* host = nullptr;
    SearchWindowState* state = nullptr;
    void SetUp() override {
        host = &InstallFakeHost();
        host->headers["m1"] = kHeader;
        state = NewTestState();
    }
    void TearDown() override {
        DeleteTestState(state);
        EXPECT_EQ(host->outstanding, 0);
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (AttachmentRecord* r : state->results) names.push_back(Field(r->fileName));
        return names;
    }
};

using NameList = std::vector<std::string>;

TEST_F(ScannerTest, QuotedUnquotedAndFoldedNames) {
    ScanText(state,
             "Content-Type: application/pdf; name=\"report.pdf\"\r\n\r\n"
             "Content-Type: application/octet-stream;\r\n\tname=\"a.zip\"\r\n\r\n"
             "Content-Type: text/plain; charset=us-ascii\r\n"
             "Content-Disposition: attachment; filename=b.txt\r\n\r\n"
             "Content-Type: x; name=abc.pdf; size=10\r\n\r\n"
             "Content-Type: x; name=end.pdf\r\n\r\n"
             "Content-Type: x; name=\r\n\r\n"
             "Content-Type: x; name= x\r\n\r\n"
             "Content-Type: x; name==?UTF-8?B?YS5wZGY=?=\r\n\r\n");
    EXPECT_EQ(Names(), (NameList{"conv:report.pdf", "conv:a.zip", "b.txt", "abc.pdf;", "end.pdf",
                                 "", "", "=?UTF-8?B?YS5wZGY=?="}));
    // Every row was shown in order, with the record's folder shared.
    ASSERT_EQ(host->rows.size(), state->results.size());
    EXPECT_EQ(host->rows[0], state->results[0]);
    EXPECT_EQ(state->results[0]->folderName.node, state->results[1]->folderName.node);
}

TEST_F(ScannerTest, UnclosedQuoteRunsToTheEndOfTheLogicalLine) {
    ScanText(state, "Content-Type: x; name=\"a\r\n b.pdf\r\nX: y\r\n");
    ASSERT_EQ(host->mimeInputs.size(), 1u);
    EXPECT_EQ(host->mimeInputs[0], "a\r\n b.pdf");
}

// Content- lines that name no file leave the next line its chance; a lone CR
// belongs to the line whatever byte follows it; an unclosed quote after
// filename= stops before the line's CR as it does after name=.
TEST_F(ScannerTest, OtherContentLinesOddBytesAndUnclosedQuotes) {
    ScanText(state,
             "Content-ID: <x>\r\nContent-Type: image/png; name=b.png\r\n\r\n"
             "Content-Transfer-Encoding: base64\r\n"
             "Content-Disposition: attachment; filename=c.txt\r\n\r\n"
             "Content-Type: x;\r\x82\xA0 name=d.png\r\n\r\n"
             "Content-Type: x;\r\x01 name=e.png\r\n\r\n"
             "Content-Disposition: attachment; filename=\"abc\r\n\r\n");
    EXPECT_EQ(Names(), (NameList{"b.png", "c.txt", "d.png", "e.png", "conv:abc"}));
    EXPECT_EQ(host->mimeInputs, (std::vector<std::string>{"abc"}));
    for (AttachmentRecord* r : state->results) {
        EXPECT_EQ(Field(r->messageId), "m1");
        EXPECT_EQ(Field(r->date).substr(0, 10), "2011/02/07");  // the message's own date
    }
}

TEST_F(ScannerTest, OneRecordPerHeaderBlock) {
    // Same name on both lines: the first line wins, the second is skipped.
    ScanText(state,
             "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
             "Content-Type: text/plain\r\n\r\nhello\r\n--b\r\n"
             "Content-Type: application/pdf; name=\"a.pdf\"\r\n"
             "Content-Disposition: attachment; filename=\"a.pdf\"\r\n\r\nAAAA\r\n--b\r\n"
             "Content-Type: image/png; name=c.png\r\n"
             "\r\n Content-Disposition: attachment; filename=d.png\r\n"
             "Content-Disposition: attachment; filename=e.png\r\n\r\n"
             "Content-Disposition: attachment; filename=f.png\r\n\r\n");
    // An empty line followed by a blank does not end the block, so d and e are skipped.
    EXPECT_EQ(Names(), (NameList{"conv:a.pdf", "c.png", "f.png"}));
}

TEST_F(ScannerTest, PrefixesAreExactAndFinalLineIsIgnored) {
    ScanText(state,
             "Content-type: text/plain; name=x.txt\r\n"
             "content-disposition: attachment; filename=x.txt\r\n"
             "Content-Type : x; name=y.txt\r\n"
             "Content-Type: x; name*=utf-8''z.txt\r\n"
             "Content-Disposition: attachment; filename*0=w.txt\r\n"
             "Content-Type: x; name=last.txt");
    EXPECT_TRUE(state->results.empty());
    EXPECT_TRUE(host->calls.empty());  // no host call for lines without a name
}

TEST_F(ScannerTest, WritesNulsWhereTheNameEnds) {
    std::string text =
        "Content-Type: x; name=\"q.pdf\"; a=b\r\nContent-Type: x; name=u.pdf\r\n\r\n";
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    RefString folder = MakeRefString("Inbox"), id = MakeRefString("m1");
    ScanMessageSource(buffer.data(), state, &folder, &id);
    ReleaseRefString(&id);
    ReleaseRefString(&folder);
    EXPECT_EQ(buffer[std::strlen("Content-Type: x; name=\"q.pdf")], '\0');  // closing quote
    // The second line follows a record in the same block and is not touched.
    EXPECT_EQ(std::string(buffer.data() + 36), "Content-Type: x; name=u.pdf\r\n\r\n");
}

TEST_F(ScannerTest, HeaderFieldsAreFetchedOnceAndShared) {
    ScanText(state,
             "Subject: ignored\r\nContent-Type: x; name=a.pdf\r\n\r\n"
             "Content-Type: x; name=b.pdf\r\n\r\n");
    ASSERT_EQ(state->results.size(), 2u);
    AttachmentRecord* a = state->results[0];
    AttachmentRecord* b = state->results[1];
    EXPECT_EQ(Field(a->subject), "Report");
    EXPECT_EQ(Field(a->sender), "Taro <taro@example.jp>");
    EXPECT_EQ(a->subject.node, b->subject.node);
    EXPECT_EQ(a->date.node, b->date.node);
    EXPECT_EQ(a->messageId.node, b->messageId.node);
    EXPECT_EQ(a->typeName.node, nullptr);
    // One header fetch, released before the second row.
    EXPECT_EQ(host->calls, (std::vector<std::string>{"GetHeader m1", "Free header m1",
                                                     "AddResultRow", "AddResultRow"}));
}

TEST_F(ScannerTest, MissingFieldsStayAbsent) {
    host->headers["m2"] = "From: a\r\nDate: Mon, 7 Feb 2011 12:34:56 +0900\r\n";
    host->headers["m3"] = "Subject: s\r\nDate: 7 February 2011\r\n";
    ScanText(state, "Content-Type: x; name=a\r\n", "m2");
    ScanText(state, "Content-Type: x; name=b\r\n", "m3");
    ScanText(state, "Content-Type: x; name=c\r\n", "unknown");  // the host has no header
    ASSERT_EQ(state->results.size(), 3u);
    EXPECT_EQ(Field(state->results[0]->subject), "<absent>");
    EXPECT_EQ(Field(state->results[0]->sender), "<absent>");
    EXPECT_EQ(Field(state->results[0]->date), "<absent>");
    EXPECT_EQ(Field(state->results[1]->subject), "s");
    EXPECT_EQ(Field(state->results[1]->sender), "<absent>");
    EXPECT_EQ(Field(state->results[1]->date), "<absent>");
    EXPECT_EQ(Field(state->results[2]->fileName), "c");
    EXPECT_EQ(Field(state->results[2]->subject), "<absent>");
    // Without a Date: line there is no date, whatever the Received: lines hold.
    host->headers["m4"] = "Received: from a by b; Mon, 7 Feb 2011 12:34:56 +0900\r\nSubject: s\r\n";
    ScanText(state, "Content-Type: x; name=d\r\n", "m4");
    ASSERT_EQ(state->results.size(), 4u);
    EXPECT_EQ(Field(state->results[3]->subject), "s");
    EXPECT_EQ(Field(state->results[3]->date), "<absent>");
}

TEST_F(ScannerTest, HostConversionFaults) {
    host->mimeReturnsNull = true;
    ScanText(state, "Content-Type: x; name=\"a.pdf\"\r\n");
    ASSERT_EQ(state->results.size(), 1u);
    EXPECT_EQ(Field(state->results[0]->fileName), "<absent>");
    host->mimeReturnsNull = false;
    host->mimeFillsBuffer = true;  // no NUL anywhere in the 256 bytes
    ScanText(state, "Content-Type: x; name=\"b.pdf\"\r\n");
    ASSERT_EQ(state->results.size(), 2u);
    EXPECT_EQ(Field(state->results[1]->fileName), std::string(256, 'x'));
}

TEST_F(ScannerTest, EdgesOfTheSource) {
    ScanText(state, "");
    ScanText(state, "name=");
    ScanText(state, "Content-Type: x; name=");
    ScanText(state, "Content-Type: x; name=\"");
    ScanText(state, "\r\n\r\n\r");
    EXPECT_TRUE(state->results.empty());
    ScanText(state, "Content-Type: x; name=\"abc\r\n");    // unclosed quote at the very end
    ScanText(state, "Content-Type: x; name=a\rb\nc\r\n");  // lone CR and LF end the name
    EXPECT_EQ(Names(), (NameList{"conv:abc", "a"}));
}

// Long names and long lines keep their bytes; the walk reaches past every block boundary.
TEST_F(ScannerTest, LongNamesAndLines) {
    std::string longName(5000, 'n');
    std::string filler(100000, 'A');
    ScanText(state, filler + "\r\nContent-Type: x; name=" + longName + ".pdf\r\n\r\n" + filler +
                        "\r\nContent-Disposition: a; filename=z.txt\r\n");
    EXPECT_EQ(Names(), (NameList{longName + ".pdf", "z.txt"}));
}

// A message of many records asks the driver to drain while it is scanned;
// a "stop" there ends the scan with the records made so far, in order.
TEST_F(ScannerTest, DrainRequestsWithinALongMessage) {
    std::string source;
    NameList all;
    for (int k = 0; k < 1000; ++k) {
        all.push_back("f" + std::to_string(k) + ".txt");
        source += "Content-Type: a/b; name=" + all.back() + "\r\n\r\n";
    }
    ScanText(state, "Content-Type: a/b; name=few.txt\r\n\r\n");
    EXPECT_EQ(host->drainChecks, 0);  // a short message is never interrupted
    ScanText(state, source);
    EXPECT_GE(host->drainChecks, 2);
    NameList names = Names();
    names.erase(names.begin());
    EXPECT_EQ(names, all);

    ClearResults(state);
    host->drainChecks = 0;
    host->stopAtDrainCheck = 2;
    ScanText(state, source);
    EXPECT_EQ(host->drainChecks, 2);
    names = Names();
    ASSERT_GT(names.size(), 0u);
    ASSERT_LT(names.size(), all.size());
    EXPECT_EQ(names, NameList(all.begin(), all.begin() + names.size()));
}

}  // namespace
