// Whole-file reading for the native build, through the C library.
#include "LegacyFileRead.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace legacy {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::wstring ErrorText(int code) {
    const char* text = std::strerror(code);
    return std::wstring(text, text + std::strlen(text)); // the C locale's messages are ASCII
}

} // namespace

FileReadStatus ReadWholeFile(const std::filesystem::path& path, uint64_t maxBytes, std::string& bytes,
                             std::wstring& error) {
    bytes.clear();
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
    // Read to the end rather than trusting the size: the file may change, and some report no size at all.
    char buffer[65536];
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof(buffer), file.get());
        if (got == 0)
            break;
        if (bytes.size() + got > maxBytes) {
            bytes.clear();
            return FileReadStatus::TooLarge;
        }
        bytes.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        error = ErrorText(errno);
        bytes.clear();
        return FileReadStatus::Failed;
    }
    return FileReadStatus::Ok;
}

} // namespace legacy
