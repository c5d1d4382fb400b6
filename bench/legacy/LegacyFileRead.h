// Reading a whole file into memory, the one platform operation of the XML reader.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace legacy {

enum class FileReadStatus {
    Ok,
    Missing,  // the file's attributes cannot be read
    Failed,   // it exists but cannot be opened or read; `error` holds the system's text
    TooLarge, // it holds more than `maxBytes` bytes; nothing was kept
};

// Replaces `bytes` with the file's content. Paths are UTF-16 on Windows, so any folder name opens.
FileReadStatus ReadWholeFile(const std::filesystem::path& path, uint64_t maxBytes, std::string& bytes,
                             std::wstring& error);

} // namespace legacy
