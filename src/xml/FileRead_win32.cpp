// Whole-file reading for Windows: UTF-16 paths, and the system's own text for a failure.
#include "xml/FileRead.h"

#include <windows.h>

namespace {

struct ScopedHandle {
    explicit ScopedHandle(HANDLE handle) : value(handle) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() {
        if (value != INVALID_HANDLE_VALUE)
            CloseHandle(value);
    }
    HANDLE value;
};

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

FileReadStatus ReadWholeFile(const std::filesystem::path& path, uint64_t maxBytes, std::string& bytes,
                             std::wstring& error) {
    bytes.clear();
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return FileReadStatus::Missing;
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.value == INVALID_HANDLE_VALUE) {
        error = ErrorText(GetLastError());
        return FileReadStatus::Failed;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.value, &size) && static_cast<uint64_t>(size.QuadPart) > maxBytes)
        return FileReadStatus::TooLarge;
    // Read to the end rather than trusting the size: the file may change while it is read.
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.value, buffer, sizeof(buffer), &got, nullptr)) {
            error = ErrorText(GetLastError());
            bytes.clear();
            return FileReadStatus::Failed;
        }
        if (got == 0)
            break;
        if (bytes.size() + got > maxBytes) {
            bytes.clear();
            return FileReadStatus::TooLarge;
        }
        bytes.append(buffer, got);
    }
    return FileReadStatus::Ok;
}
