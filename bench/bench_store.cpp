#include "bench/bench_store.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>

namespace fs = std::filesystem;

// The host's view of a file: cut at the first NUL, every bare LF made CR LF.
static std::string HostText(std::string bytes) {
    size_t nul = bytes.find('\0');
    if (nul != std::string::npos) bytes.resize(nul);
    size_t lf = bytes.find('\n');
    while (lf != std::string::npos && lf > 0 && bytes[lf - 1] == '\r')
        lf = bytes.find('\n', lf + 1);
    if (lf == std::string::npos) return bytes;  // CR LF throughout, as generated
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 32);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) text.push_back('\r');
        text.push_back(bytes[i]);
    }
    return text;
}

static size_t HeaderLength(const std::string& source) {
    if (source.compare(0, 2, "\r\n") == 0) return 0;
    size_t blank = source.find("\r\n\r\n");
    return blank == std::string::npos ? source.size() : blank + 2;
}

bool LoadStoreImage(const std::string& dataFolder, StoreImage* image) {
    std::vector<std::string> paths;
    std::error_code error;
    for (fs::recursive_directory_iterator it(dataFolder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file() && it->path().extension() == ".eml") {
            paths.push_back(it->path().lexically_relative(dataFolder).generic_string());
        }
    }
    std::sort(paths.begin(), paths.end());
    size_t reserve = 0;
    for (const std::string& path : paths)
        reserve += fs::file_size(fs::path(dataFolder) / path, error) + 1;
    image->arena.reserve(reserve + reserve / 64);
    for (const std::string& path : paths) {
        std::ifstream in(fs::path(dataFolder) / path, std::ios::binary);
        std::string bytes(static_cast<size_t>(fs::file_size(fs::path(dataFolder) / path, error)),
                          '\0');
        in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<size_t>(in.gcount()));
        std::string text = HostText(std::move(bytes));
        StoredMessage message = {image->arena.size(), text.size(), HeaderLength(text), path};
        image->arena.insert(image->arena.end(), text.begin(), text.end());
        image->arena.push_back('\0');
        image->messages.push_back(message);
        image->totalBytes += text.size();
    }
    return !image->messages.empty();
}
