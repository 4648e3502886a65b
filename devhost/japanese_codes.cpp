#include "devhost/japanese_codes.h"

#include <cstddef>

// One JIS X 0208 character (both bytes 0x21..0x7E) as its Shift-JIS pair.
static void AppendJisAsShiftJis(unsigned char j1, unsigned char j2, std::string* out) {
    unsigned char s1 = static_cast<unsigned char>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0));
    unsigned char s2;
    if (j1 & 1) {
        s2 = static_cast<unsigned char>(j2 + (j2 <= 0x5F ? 0x1F : 0x20));
    } else {
        s2 = static_cast<unsigned char>(j2 + 0x7E);
    }
    out->push_back(static_cast<char>(s1));
    out->push_back(static_cast<char>(s2));
}

static bool IsJisByte(unsigned char c) {
    return c >= 0x21 && c <= 0x7E;
}

bool Iso2022JpToShiftJis(const std::string& in, std::string* out) {
    enum Mode { kAscii, kDouble, kKana } mode = kAscii;
    out->clear();
    for (size_t i = 0; i < in.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        if (c == 0x1B) {
            std::string seq = in.substr(i + 1, 2);
            if (seq == "$B" || seq == "$@") {
                mode = kDouble;
            } else if (seq == "(B" || seq == "(J") {
                mode = kAscii;
            } else if (seq == "(I") {
                mode = kKana;
            } else {
                return false;
            }
            i += 2;
            continue;
        }
        if (c >= 0x80) return false;
        if (c == '\r' || c == '\n') {
            out->push_back(static_cast<char>(c));
        } else if (mode == kDouble) {
            if (i + 1 >= in.size()) return false;
            unsigned char c2 = static_cast<unsigned char>(in[i + 1]);
            if (!IsJisByte(c) || !IsJisByte(c2)) return false;
            AppendJisAsShiftJis(c, c2, out);
            ++i;
        } else if (mode == kKana) {
            if (c < 0x21 || c > 0x5F) return false;
            out->push_back(static_cast<char>(c + 0x80));
        } else {
            out->push_back(static_cast<char>(c));
        }
    }
    return true;
}

bool EucJpToShiftJis(const std::string& in, std::string* out) {
    out->clear();
    for (size_t i = 0; i < in.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        if (c < 0x80) {
            out->push_back(static_cast<char>(c));
            continue;
        }
        if (i + 1 >= in.size()) return false;
        unsigned char c2 = static_cast<unsigned char>(in[i + 1]);
        if (c == 0x8E) {
            if (c2 < 0xA1 || c2 > 0xDF) return false;
            out->push_back(static_cast<char>(c2));
        } else if (c >= 0xA1 && c <= 0xFE && c2 >= 0xA1 && c2 <= 0xFE) {
            AppendJisAsShiftJis(static_cast<unsigned char>(c - 0x80),
                                static_cast<unsigned char>(c2 - 0x80), out);
        } else {
            return false;
        }
        ++i;
    }
    return true;
}
