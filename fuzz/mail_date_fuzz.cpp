// Date values: a true result always writes the fixed 19-character form.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "search/mail_date.h"

static bool Digits(const char* p, int count) {
    for (int i = 0; i < count; ++i)
        if (p[i] < '0' || p[i] > '9') return false;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string value(reinterpret_cast<const char*>(data), size);
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    if (!FormatMailDate(value.c_str(), buffer)) {
        for (char c : buffer)
            if (c != '#') std::abort();  // untouched after a failure
        return 0;
    }
    if (std::strlen(buffer) != 19) std::abort();
    if (!Digits(buffer, 4) || buffer[4] != '/' || !Digits(buffer + 5, 2) || buffer[7] != '/' ||
        !Digits(buffer + 8, 2) || buffer[10] != ' ' || !Digits(buffer + 11, 2) ||
        buffer[13] != ':' || !Digits(buffer + 14, 2) || buffer[16] != ':' ||
        !Digits(buffer + 17, 2))
        std::abort();
    return 0;
}
