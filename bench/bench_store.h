// A benchmark mail store held in memory: every message source NUL-terminated
// in one arena, in the order of their paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct StoredMessage {
    size_t offset;        // of the source in the arena
    size_t size;          // bytes before its NUL
    size_t headerLength;  // the header block as the host hands it out
    std::string path;     // relative to the data folder, '/' separated
};

struct StoreImage {
    std::vector<char> arena;
    std::vector<StoredMessage> messages;
    size_t totalBytes = 0;
};

// Reads every *.eml file below dataFolder, LF line ends made CR LF as the
// host does; false when the folder holds no message.
bool LoadStoreImage(const std::string& dataFolder, StoreImage* image);
