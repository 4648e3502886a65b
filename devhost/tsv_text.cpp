#include "devhost/tsv_text.h"

static std::string EscapeTsvField(const std::string& field) {
    std::string escaped;
    escaped.reserve(field.size());
    for (char c : field) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\n':
                escaped += "\\n";
                break;
            default:
                escaped.push_back(c);
        }
    }
    return escaped;
}

std::string TsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line.push_back('\t');
        line += EscapeTsvField(fields[i]);
    }
    line.push_back('\n');
    return line;
}
