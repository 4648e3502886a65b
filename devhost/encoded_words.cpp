#include "devhost/encoded_words.h"

#include <cstddef>

static int Base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool DecodeBase64(const std::string& encoded, std::string* bytes) {
    bytes->clear();
    unsigned bits = 0;
    int bitCount = 0;
    size_t i = 0;
    for (; i < encoded.size() && encoded[i] != '='; ++i) {
        int value = Base64Value(static_cast<unsigned char>(encoded[i]));
        if (value < 0) return false;
        bits = (bits << 6) | static_cast<unsigned>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes->push_back(static_cast<char>((bits >> bitCount) & 0xFF));
        }
    }
    // Only padding may follow; a missing pad is tolerated, as mailers omit it.
    for (; i < encoded.size(); ++i) {
        if (encoded[i] != '=') return false;
    }
    return true;
}

static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool DecodeQ(const std::string& encoded, std::string* bytes) {
    bytes->clear();
    for (size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        if (c == '_') {
            bytes->push_back(' ');
        } else if (c == '=') {
            if (i + 2 >= encoded.size()) return false;
            int high = HexValue(encoded[i + 1]);
            int low = HexValue(encoded[i + 2]);
            if (high < 0 || low < 0) return false;
            bytes->push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            bytes->push_back(c);
        }
    }
    return true;
}

static bool IsLinearSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

static std::string Lowered(const std::string& text) {
    std::string lowered = text;
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered;
}

// Parses and decodes the encoded word at text[start] ("=?"); on success
// stores its decoded text and the offset just past its "?=".
static bool DecodeWordAt(const std::string& text, size_t start, CharsetConverter convert,
                         std::string* decoded, size_t* end) {
    size_t charsetEnd = text.find('?', start + 2);
    if (charsetEnd == std::string::npos || charsetEnd == start + 2) return false;
    if (charsetEnd + 2 >= text.size() || text[charsetEnd + 2] != '?') return false;
    char encoding = text[charsetEnd + 1];
    size_t payloadStart = charsetEnd + 3;
    size_t payloadEnd = text.find("?=", payloadStart);
    if (payloadEnd == std::string::npos) return false;
    std::string charset = Lowered(text.substr(start + 2, charsetEnd - start - 2));
    std::string payload = text.substr(payloadStart, payloadEnd - payloadStart);
    for (char c : charset + payload) {
        if (IsLinearSpace(c)) return false;
    }
    size_t star = charset.find('*');  // RFC 2231 language suffix
    if (star != std::string::npos) charset.resize(star);

    std::string bytes;
    bool ok = false;
    if (encoding == 'B' || encoding == 'b') ok = DecodeBase64(payload, &bytes);
    if (encoding == 'Q' || encoding == 'q') ok = DecodeQ(payload, &bytes);
    if (!ok || !convert(charset, bytes, decoded)) return false;
    *end = payloadEnd + 2;
    return true;
}

std::string DecodeEncodedWords(const std::string& text, CharsetConverter convert) {
    std::string out;
    size_t pos = 0;
    size_t spaceStart = std::string::npos;  // white space run after a decoded word
    bool afterWord = false;
    while (pos < text.size()) {
        std::string decoded;
        size_t end = 0;
        if (text.compare(pos, 2, "=?") == 0 && DecodeWordAt(text, pos, convert, &decoded, &end)) {
            // White space between two adjacent encoded words is not part of the text.
            if (afterWord && spaceStart != std::string::npos) out.resize(spaceStart);
            out += decoded;
            pos = end;
            afterWord = true;
            spaceStart = out.size();
            continue;
        }
        if (!IsLinearSpace(text[pos])) {
            afterWord = false;
            spaceStart = std::string::npos;
        }
        out.push_back(text[pos]);
        ++pos;
    }
    return out;
}
