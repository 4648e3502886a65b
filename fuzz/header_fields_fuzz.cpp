// Header fields: positions stay inside the text and name real values.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "search/header_fields.h"

static void CheckValue(const std::vector<char>& text, int32_t position, size_t length) {
    if (position == -1) return;
    if (position < 0 || static_cast<size_t>(position) > length) std::abort();
    // The value ends at a NUL written over a CR, at the latest at the end.
    if (std::strlen(text.data() + position) > length - position) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    size_t length = std::strlen(text.data());
    int32_t subject = -1, sender = -1, date = -1;
    FindHeaderFields(text.data(), &subject, &sender, &date);
    CheckValue(text, subject, length);
    CheckValue(text, sender, length);
    CheckValue(text, date, length);
    return 0;
}
