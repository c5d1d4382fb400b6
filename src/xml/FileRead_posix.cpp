// Whole-file reading for the native build, through the C library.
#include "xml/FileRead.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::wstring ErrorText(int code) {
    const char* text = std::strerror(code);
    return std::wstring(text, text + std::strlen(text)); // the C locale's messages are ASCII
}

} // namespace

FileReadStatus ReadFileInPieces(const std::filesystem::path& path, uint64_t maxBytes, FilePieces& pieces,
                                std::wstring& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return FileReadStatus::Missing;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = ErrorText(errno);
        return FileReadStatus::Failed;
    }
    if (S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_size) > maxBytes)
        return FileReadStatus::TooLarge;
    pieces.Expect(S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0);
    // Read to the end rather than trusting the size: the file may change, and some report no size at all.
    static constexpr size_t kBufferSize = 65536;
    auto buffer = std::make_unique<char[]>(kBufferSize);
    std::setvbuf(file.get(), nullptr, _IONBF, 0); // reads go straight into our buffer
    uint64_t total = 0;
    size_t kept = 0;
    for (;;) {
        const size_t got = std::fread(buffer.get() + kept, 1, kBufferSize - kept, file.get());
        if (got == 0)
            break;
        total += got;
        if (total > maxBytes)
            return FileReadStatus::TooLarge;
        const size_t taken = pieces.Take(std::string_view(buffer.get(), kept + got), false);
        kept = kept + got - taken;
        std::memmove(buffer.get(), buffer.get() + taken, kept);
    }
    if (std::ferror(file.get())) {
        error = ErrorText(errno);
        return FileReadStatus::Failed;
    }
    pieces.Take(std::string_view(buffer.get(), kept), true);
    return FileReadStatus::Ok;
}
