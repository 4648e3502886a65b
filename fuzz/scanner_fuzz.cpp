// The scanner over a whole message source. The input's first part, up to
// an empty line, doubles as the message's header block.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "search/scanner.h"
#include "search/search_state.h"
#include "tests/bytes/fake_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FakeHost& host = InstallFakeHost();
    std::string source(reinterpret_cast<const char*>(data), size);
    source = source.substr(0, source.find('\0'));
    size_t headerEnd = source.find("\r\n\r\n");
    host.headers["m1"] = headerEnd == std::string::npos ? source : source.substr(0, headerEnd + 2);
    host.mimeReturnsNull = size > 0 && data[0] == 'N';
    host.mimeFillsBuffer = size > 0 && data[0] == 'F';

    SearchWindowState* state = NewTestState();
    ScanText(state, source);
    // Every record is shown once, keeps a name the source could give, and
    // every header block handed out came back.
    if (host.rows.size() != state->results.size()) std::abort();
    for (AttachmentRecord* record : state->results) {
        if (!record->messageId.node || !record->folderName.node) std::abort();
        if (record->fileName.node && !host.mimeFillsBuffer &&
            std::strlen(record->fileName.node->text) > source.size() + 5)
            std::abort();
    }
    if (host.outstanding != 0) std::abort();
    DeleteTestState(state);
    return 0;
}
