// Whole-file reading for Windows: UTF-16 paths, and the system's own text for a failure.
#include "xml/FileRead.h"

#include "base/UniqueHandle.h"

#include <windows.h>

#include <cstring>
#include <memory>

namespace {

std::wstring ErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result;
    if (length != 0 && text != nullptr)
        result.assign(text, length);
    else
        result = L"Error " + std::to_wstring(code);
    LocalFree(text);
    return result;
}

} // namespace

FileReadStatus ReadFileInPieces(const std::filesystem::path& path, uint64_t maxBytes, FilePieces& pieces,
                                std::wstring& error) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return FileReadStatus::Missing;
    const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        error = ErrorText(GetLastError());
        return FileReadStatus::Failed;
    }
    LARGE_INTEGER size{};
    const bool sized = GetFileSizeEx(file.Get(), &size) != 0;
    if (sized && static_cast<uint64_t>(size.QuadPart) > maxBytes)
        return FileReadStatus::TooLarge;
    pieces.Expect(sized ? static_cast<uint64_t>(size.QuadPart) : 0);
    // Read to the end rather than trusting the size: the file may change while it is read.
    static constexpr DWORD kBufferSize = 65536;
    auto buffer = std::make_unique<char[]>(kBufferSize);
    uint64_t total = 0;
    DWORD kept = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer.get() + kept, kBufferSize - kept, &got, nullptr)) {
            error = ErrorText(GetLastError());
            return FileReadStatus::Failed;
        }
        if (got == 0)
            break;
        total += got;
        if (total > maxBytes)
            return FileReadStatus::TooLarge;
        const size_t taken = pieces.Take(std::string_view(buffer.get(), kept + got), false);
        kept = static_cast<DWORD>(kept + got - taken);
        std::memmove(buffer.get(), buffer.get() + taken, kept);
    }
    pieces.Take(std::string_view(buffer.get(), kept), true);
    return FileReadStatus::Ok;
}
