// Reading a whole file, the one platform operation of the XML reader. The bytes are handed on piece by piece,
// so a large file is never held in memory next to what is made of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

enum class FileReadStatus {
    Ok,
    Missing,  // the file's attributes cannot be read
    Failed,   // it exists but cannot be opened or read; `error` holds the system's text
    TooLarge, // it holds more than `maxBytes` bytes
};

// Receives a file's bytes in order.
class FilePieces {
public:
    virtual ~FilePieces() = default;
    // The size the system reports, before the first piece; only a hint, the file may change while it is read.
    virtual void Expect(uint64_t bytes) = 0;
    // Takes the bytes it can and returns how many; the rest come again at the start of the next piece. `last`:
    // the file ends with this piece, so everything must be taken.
    virtual size_t Take(std::string_view piece, bool last) = 0;
};

// Reads the file to its end. Paths are UTF-16 on Windows, so any folder name opens. When the result is not Ok,
// what `pieces` received is to be thrown away.
[[nodiscard]] FileReadStatus ReadFileInPieces(const std::filesystem::path& path, uint64_t maxBytes, FilePieces& pieces,
                                              std::wstring& error);
