#include "devhost/charset_convert.h"

#include <windows.h>

#include <cstring>

#include "devhost/japanese_codes.h"

namespace {

struct CharsetCodePage {
    const char* name;
    UINT codePage;
};

// Names as mailers write them, lower case.
const CharsetCodePage kCharsets[] = {
    {"us-ascii", 20127},    {"ascii", 20127},       {"shift_jis", 932},
    {"shift-jis", 932},     {"sjis", 932},          {"x-sjis", 932},
    {"windows-31j", 932},   {"cp932", 932},         {"utf-8", CP_UTF8},
    {"utf8", CP_UTF8},      {"utf-7", CP_UTF7},     {"unicode-1-1-utf-7", CP_UTF7},
    {"iso-8859-1", 28591},  {"iso-8859-2", 28592},  {"iso-8859-5", 28595},
    {"iso-8859-7", 28597},  {"iso-8859-8", 28598},  {"iso-8859-8-i", 28598},
    {"iso-8859-9", 28599},  {"iso-8859-15", 28605}, {"windows-1250", 1250},
    {"windows-1251", 1251}, {"windows-1252", 1252}, {"koi8-r", 20866},
    {"koi8-u", 21866},      {"gb2312", 936},        {"gbk", 936},
    {"big5", 950},          {"euc-kr", 949},        {"ks_c_5601-1987", 949},
};

UINT CodePageOf(const std::string& charset) {
    for (const CharsetCodePage& entry : kCharsets) {
        if (charset == entry.name) return entry.codePage;
    }
    return 0;
}

bool ViaUnicode(UINT codePage, const std::string& bytes, std::string* ansi) {
    ansi->clear();
    if (bytes.empty()) return true;
    if (codePage == GetACP()) {
        *ansi = bytes;
        return true;
    }
    // US-ASCII text needs no table, and some systems lack the 20127 one.
    if (codePage == 20127) codePage = 28591;
    DWORD flags = (codePage == CP_UTF8) ? MB_ERR_INVALID_CHARS : 0;
    int wideLength = MultiByteToWideChar(codePage, flags, bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, 0);
    if (wideLength <= 0) return false;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                        wideLength);
    int ansiLength =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (ansiLength <= 0) return false;
    ansi->resize(static_cast<size_t>(ansiLength));
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &(*ansi)[0], ansiLength, nullptr,
                        nullptr);
    return true;
}

}  // namespace

bool ConvertCharsetToAnsi(const std::string& charset, const std::string& bytes, std::string* ansi) {
    std::string shiftJis;
    if (charset == "iso-2022-jp" || charset == "iso-2022-jp-2") {
        return Iso2022JpToShiftJis(bytes, &shiftJis) && ViaUnicode(932, shiftJis, ansi);
    }
    if (charset == "euc-jp" || charset == "x-euc-jp") {
        return EucJpToShiftJis(bytes, &shiftJis) && ViaUnicode(932, shiftJis, ansi);
    }
    UINT codePage = CodePageOf(charset);
    return codePage != 0 && ViaUnicode(codePage, bytes, ansi);
}

size_t AnsiFitLength(const std::string& text, size_t size) {
    if (size == 0) return 0;
    size_t limit = size - 1;
    if (text.size() <= limit) return text.size();
    size_t length = 0;
    while (length < limit) {
        size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[length])) ? 2 : 1;
        if (length + step > limit) break;
        length += step;
    }
    return length;
}
