// BKA_MIMEHeader: encoded words decoded into the ANSI code page (932 here),
// the white space rule between adjacent words, and the caller's buffer size.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "devhost/devhost_control.h"
#include "devhost/encoded_words.h"
#include "host/host_api.h"

namespace {

std::string Utf8ToAnsi(const std::string& utf8) {
    wchar_t wide[512];
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 512);
    char ansi[1024];
    WideCharToMultiByte(CP_ACP, 0, wide, length, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

BkaMIMEHeaderFn MimeHeader() {
    return reinterpret_cast<BkaMIMEHeaderFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "BKA_MIMEHeader")));
}

std::string Decode(const std::string& text, int bufferSize = 256) {
    char buffer[300];
    memset(buffer, '#', sizeof buffer);
    char* result = MimeHeader()(text.c_str(), buffer, bufferSize, 0);
    if (!result) return "(null)";
    EXPECT_EQ(result, buffer);
    EXPECT_EQ(buffer[bufferSize], '#') << "wrote past the buffer";
    return result;
}

class DevhostMime : public ::testing::Test {
  protected:
    void SetUp() override {
        DevhostReset();
        ASSERT_EQ(GetACP(), 932u) << "these cases expect the Japanese code page";
    }
};

TEST_F(DevhostMime, DecodesEachCharsetIntoTheAnsiCodePage) {
    std::string nihongo = Utf8ToAnsi("日本語.txt");
    // "日本語.txt" as ISO-2022-JP, Shift_JIS, EUC-JP and UTF-8, in B encoding.
    EXPECT_EQ(Decode("=?ISO-2022-JP?B?GyRCRnxLXDhsGyhCLnR4dA==?="), nihongo);
    EXPECT_EQ(Decode("=?Shift_JIS?B?k/qWe4zqLnR4dA==?="), nihongo);
    EXPECT_EQ(Decode("=?EUC-JP?B?xvzL3LjsLnR4dA==?="), nihongo);
    EXPECT_EQ(Decode("=?utf-8?B?5pel5pys6KqeLnR4dA==?="), nihongo);
    EXPECT_EQ(Decode("=?UTF-8?Q?=E6=97=A5=E6=9C=AC=E8=AA=9E.txt?="), nihongo);
    // Half-width kana through the ISO-2022-JP kana set: "ｱ" is 0xB1.
    EXPECT_EQ(Decode("=?iso-2022-jp?B?GyhJMRsoQg==?="), "\xB1");
    EXPECT_EQ(Decode("=?iso-8859-1?Q?caf=E9_menu.pdf?="), Utf8ToAnsi("café menu.pdf"));
    EXPECT_EQ(Decode("=?US-ASCII?Q?plain_name.doc?="), "plain name.doc");
    EXPECT_EQ(Decode("=?us-ascii*en?Q?tagged?="), "tagged");
}

TEST_F(DevhostMime, WhiteSpaceOnlyDisappearsBetweenAdjacentWords) {
    EXPECT_EQ(Decode("=?us-ascii?Q?a?= =?us-ascii?Q?b?="), "ab");
    EXPECT_EQ(Decode("=?us-ascii?Q?a?=\r\n\t=?us-ascii?Q?b?="), "ab");
    EXPECT_EQ(Decode("=?us-ascii?Q?a?=  x  =?us-ascii?Q?b?="), "a  x  b");
    EXPECT_EQ(Decode("x =?us-ascii?Q?a?= y"), "x a y");
    EXPECT_EQ(Decode("=?us-ascii?Q?a_?==?us-ascii?Q?b?="), "a b");
}

TEST_F(DevhostMime, LeavesTextThatIsNoEncodedWordAsItIs) {
    EXPECT_EQ(Decode("report.pdf"), "report.pdf");
    EXPECT_EQ(Decode(""), "");
    std::string sjis = Utf8ToAnsi("資料.xls");
    EXPECT_EQ(Decode(sjis), sjis);
    EXPECT_EQ(Decode("=?unknown?B?YWJj?="), "=?unknown?B?YWJj?=");
    EXPECT_EQ(Decode("=?utf-8?X?abc?="), "=?utf-8?X?abc?=");
    EXPECT_EQ(Decode("=?utf-8?B?not base64?="), "=?utf-8?B?not base64?=");
    EXPECT_EQ(Decode("=?utf-8?Q?=ZZ?="), "=?utf-8?Q?=ZZ?=");
    EXPECT_EQ(Decode("=?utf-8?B?YWJj"), "=?utf-8?B?YWJj");
    // A broken word next to a good one keeps its white space.
    EXPECT_EQ(Decode("=?unknown?Q?a?= =?us-ascii?Q?b?="), "=?unknown?Q?a?= b");
}

TEST_F(DevhostMime, WritesAtMostTheBufferSize) {
    std::string name(300, 'n');
    EXPECT_EQ(Decode(name, 256), std::string(255, 'n'));
    EXPECT_EQ(Decode("abc", 4), "abc");
    EXPECT_EQ(Decode("abcd", 4), "abc");
    EXPECT_EQ(Decode("abcde", 1), "");
    // A double-byte character that does not fit whole is left out.
    std::string kanji = Utf8ToAnsi("あい");
    EXPECT_EQ(Decode("a" + kanji, 4), "a" + kanji.substr(0, 2));
    EXPECT_EQ(Decode("ab" + kanji, 4), "ab");
}

TEST_F(DevhostMime, FaultsReturnNullOrFillTheBuffer) {
    DevhostSetMimeFault(kMimeReturnsNull);
    EXPECT_EQ(Decode("a.txt"), "(null)");
    DevhostSetMimeFault(kMimeFillsBuffer);
    std::string filled = Decode("a.txt");
    EXPECT_EQ(filled.size(), 255u);
    DevhostSetMimeFault(kMimeNormal);
    EXPECT_EQ(Decode("a.txt"), "a.txt");
}

TEST(DevhostTransferEncodings, Base64AndQ) {
    std::string bytes;
    EXPECT_TRUE(DecodeBase64("YWJj", &bytes));
    EXPECT_EQ(bytes, "abc");
    EXPECT_TRUE(DecodeBase64("YWI=", &bytes));
    EXPECT_EQ(bytes, "ab");
    EXPECT_TRUE(DecodeBase64("YQ", &bytes));  // padding left off
    EXPECT_EQ(bytes, "a");
    EXPECT_FALSE(DecodeBase64("Y=Q=", &bytes));
    EXPECT_TRUE(DecodeQ("a_b=3D=3f", &bytes));
    EXPECT_EQ(bytes, "a b=?");
    EXPECT_FALSE(DecodeQ("a=3", &bytes));
}

}  // namespace
