// The log's system services on Windows.
#include "logging/LogPlatform.h"

#include <windows.h>

#include <shlobj.h>

#include <utility>

namespace {

class Win32File : public CLogPlatform::File {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;
    ~Win32File() override { CloseHandle(handle_); }

    bool Append(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
            DWORD written = 0;
            if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr) || written == 0)
                return false;
            bytes.remove_prefix(written);
        }
        return true;
    }

    std::optional<std::uint64_t> Length() override {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(handle_, &size))
            return std::nullopt;
        return static_cast<std::uint64_t>(size.QuadPart);
    }

private:
    HANDLE handle_;
};

class Win32LogPlatform : public CLogPlatform {
public:
    explicit Win32LogPlatform(std::optional<std::wstring> baseFolder) : baseFolder_(std::move(baseFolder)) {}

    std::optional<std::wstring> CommonAppDataFolder() override {
        if (baseFolder_)
            return baseFolder_;
        wchar_t folder[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_COMMON_APPDATA, FALSE) || folder[0] == 0)
            return std::nullopt;
        return std::wstring(folder);
    }

    bool Exists(const std::wstring& path) override {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    bool CreateFolder(const std::wstring& path) override { return CreateDirectoryW(path.c_str(), nullptr) != FALSE; }

    std::wstring ReadProfileString(const std::wstring& iniPath, const std::wstring& section, const std::wstring& key,
                                   const std::wstring& fallback) override {
        // A bare name would be looked up in the Windows folder; the log means the current directory.
        const std::wstring file = iniPath.find(L'\\') == std::wstring::npos ? L".\\" + iniPath : iniPath;
        wchar_t value[100] = {};
        GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), value, 100, file.c_str());
        return value;
    }

    LogTime Now() override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    }

    std::unique_ptr<File> OpenForAppend(const std::wstring& path) override {
        // Append-only access makes every write land at the current end, even when another process appended
        // since; delete sharing lets another instance of the tool rotate the file while this one holds it.
        const HANDLE handle = CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<Win32File>(handle);
    }

    bool MoveReplacing(const std::wstring& from, const std::wstring& to) override {
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }

private:
    std::optional<std::wstring> baseFolder_;
};

} // namespace

std::unique_ptr<CLogPlatform> CreateSystemLogPlatform() {
    return std::make_unique<Win32LogPlatform>(std::nullopt);
}

std::unique_ptr<CLogPlatform> CreateSystemLogPlatform(std::wstring baseFolder) {
    return std::make_unique<Win32LogPlatform>(std::move(baseFolder));
}
