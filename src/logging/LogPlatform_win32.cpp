// The log's system services on Windows.
#include "logging/LogPlatform.h"

#include "base/UniqueHandle.h"

#include <windows.h>

#include <shlobj.h>

#include <utility>
#include <vector>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The path of what `handle` is open on, after every link and junction ("" when unknown).
std::wstring FinalPath(HANDLE handle) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsLinkOrFolder(HANDLE handle, bool folderExpected) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return true;
    const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A second name of the same file (a hard link) would let an entry land in a file elsewhere.
    return folder != folderExpected || (!folder && info.nNumberOfLinks != 1);
}

// Opens the log file `name` in `folder` for appending without following a link, junction or other reparse point,
// neither for the file nor for the folder: what is opened must be a plain folder and, in it, a plain file with
// no other name. Empty when anything else stands there.
UniqueHandle OpenLogFile(const std::wstring& folder, const std::wstring& name) {
    const DWORD noFollow = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
    const UniqueHandle folderHandle(
        CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, noFollow, nullptr));
    if (!folderHandle || IsLinkOrFolder(folderHandle.Get(), true))
        return {};
    // Wine shows a Unix link as what it leads to and opens that: the final paths tell where an open went.
    const std::wstring folderFinal = FinalPath(folderHandle.Get());
    const std::size_t cut = folder.find_last_of(L'\\');
    const std::wstring folderName = cut == std::wstring::npos ? folder : folder.substr(cut + 1);
    const std::wstring parentFinal = [&] {
        const std::wstring parent = cut == std::wstring::npos ? std::wstring(L".") : folder.substr(0, cut + 1) + L".";
        const UniqueHandle parentHandle(CreateFileW(parent.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return parentHandle ? FinalPath(parentHandle.Get()) : std::wstring();
    }();
    if (folderFinal.empty() || parentFinal.empty() ||
        !SamePath(folderFinal, parentFinal + (parentFinal.back() == L'\\' ? L"" : L"\\") + folderName))
        return {};

    // Append-only access makes every write land at the current end, even when another process appended since;
    // delete sharing lets another instance of the tool rotate the file while this one holds it. An existing
    // name is opened, a missing one created anew: creating through OPEN_ALWAYS would create the file a dangling
    // link leads to.
    const std::wstring path = folder + L"\\" + name;
    const DWORD access = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    UniqueHandle file;
    for (int attempt = 0; attempt < 2 && !file; ++attempt) {
        file.Reset(CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file && GetLastError() == ERROR_FILE_NOT_FOUND)
            file.Reset(CreateFileW(path.c_str(), access, kShareAll, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    }
    if (!file || IsLinkOrFolder(file.Get(), false) || !SamePath(FinalPath(file.Get()), folderFinal + L"\\" + name))
        return {};
    return file;
}

class Win32File : public CLogPlatform::File {
public:
    explicit Win32File(UniqueHandle handle) : handle_(std::move(handle)) {}

    bool Append(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
            DWORD written = 0;
            if (!WriteFile(handle_.Get(), bytes.data(), chunk, &written, nullptr) || written == 0)
                return false;
            bytes.remove_prefix(written);
        }
        return true;
    }

    std::optional<std::uint64_t> Length() override {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(handle_.Get(), &size))
            return std::nullopt;
        return static_cast<std::uint64_t>(size.QuadPart);
    }

private:
    UniqueHandle handle_;
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
        const std::size_t slash = path.find_last_of(L'\\');
        // A relative log (no application-data folder) lies in the current directory.
        const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
        const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
        UniqueHandle handle = OpenLogFile(folder, name);
        if (!handle)
            return nullptr;
        return std::make_unique<Win32File>(std::move(handle));
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
