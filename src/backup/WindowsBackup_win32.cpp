// Windows file operations for the backups. On 64-bit Windows this 32-bit program would see SysWOW64 in place
// of System32, so every operation runs with the thread's file-system redirection off.
#include "backup/WindowsBackup.h"

#include "backup/Sha256.h"
#include "console/WindowsConsole.h"
#include "logging/LogSave.h"
#include "text/CodePage.h"

#include <windows.h>

#include <shlobj.h>

namespace {

class RedirectionOff {
public:
    RedirectionOff() {
        if (Is64BitWindows())
            switched_ = Wow64DisableWow64FsRedirection(&old_) == TRUE;
    }
    ~RedirectionOff() {
        if (switched_)
            Wow64RevertWow64FsRedirection(old_);
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

private:
    bool switched_ = false;
    PVOID old_ = nullptr;
};

class File {
public:
    explicit File(HANDLE handle) : handle_(handle) {}
    ~File() {
        if (Open())
            CloseHandle(handle_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

std::wstring Parent(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Makes the folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::wstring& folder) {
    if (folder.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder.size() > 3)
        MakeFolders(Parent(folder));
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void ListInto(const std::wstring& folder, const std::wstring& prefix, std::vector<FileEntry>& entries) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListInto(folder + L"\\" + name, prefix + name + L"\\", entries);
        else
            entries.push_back({prefix + name, (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool RemoveAll(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveAll(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

using StoreLocationFn = BOOL(WINAPI*)(PCWSTR, void*, PCWSTR, PWSTR, DWORD, PDWORD);

// setupapi is loaded with redirection on, as a library must be, and from the system folder only.
StoreLocationFn StoreLocationFunction() {
    static const StoreLocationFn function = [] {
        HMODULE setupapi = LoadSystemLibrary(L"setupapi.dll");
        return setupapi ? reinterpret_cast<StoreLocationFn>(
                              reinterpret_cast<void*>(GetProcAddress(setupapi, "SetupGetInfDriverStoreLocationW")))
                        : nullptr;
    }();
    return function;
}

} // namespace

std::wstring WindowsBackupFiles::WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : L"C:\\Windows";
}

std::wstring WindowsBackupFiles::StoreInfOf(const std::wstring& publishedInf) {
    const StoreLocationFn locate = StoreLocationFunction();
    if (locate == nullptr)
        return {};
    const std::wstring published = WindowsFolder() + L"\\INF\\" + publishedInf;
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD required = 0;
    RedirectionOff off;
    if (!locate(published.c_str(), nullptr, nullptr, buffer, MAX_PATH * 2, &required))
        return {};
    return buffer;
}

std::vector<std::wstring> WindowsBackupFiles::Folders(const std::wstring& folder) {
    RedirectionOff off;
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L".." && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::vector<FileEntry> WindowsBackupFiles::Files(const std::wstring& folder) {
    RedirectionOff off;
    std::vector<FileEntry> entries;
    ListInto(folder, L"", entries);
    return entries;
}

bool WindowsBackupFiles::Exists(const std::wstring& path) {
    RedirectionOff off;
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> WindowsBackupFiles::HashFile(const std::wstring& path) {
    RedirectionOff off;
    File file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
    if (!file.Open())
        return std::nullopt;
    Sha256 hash;
    static thread_local char buffer[1 << 16];
    DWORD read = 0;
    while (true) {
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr))
            return std::nullopt;
        if (read == 0)
            break;
        hash.Update(buffer, read);
    }
    return hash.HexDigest();
}

std::optional<std::string> WindowsBackupFiles::ReadFile(const std::wstring& path) {
    RedirectionOff off;
    File file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
    if (!file.Open())
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool WindowsBackupFiles::WriteNewFile(const std::wstring& path, const std::string& bytes) {
    RedirectionOff off;
    bool written = false;
    {
        File file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Open())
            return false;
        DWORD done = 0;
        written = ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                  done == bytes.size() && FlushFileBuffers(file.Get());
    }
    if (!written)
        DeleteFileW(path.c_str());
    return written;
}

bool WindowsBackupFiles::CopyNewFile(const std::wstring& from, const std::wstring& to) {
    RedirectionOff off;
    return MakeFolders(Parent(to)) && CopyFileW(from.c_str(), to.c_str(), TRUE);
}

bool WindowsBackupFiles::CreateNewFolder(const std::wstring& path) {
    RedirectionOff off;
    MakeFolders(Parent(path));
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool WindowsBackupFiles::Rename(const std::wstring& from, const std::wstring& to) {
    RedirectionOff off;
    return MoveFileExW(from.c_str(), to.c_str(), 0) != FALSE;
}

bool WindowsBackupFiles::RemoveTree(const std::wstring& path) {
    RedirectionOff off;
    return RemoveAll(path);
}

std::wstring WindowsBackupFiles::ShortPath(const std::wstring& path) {
    RedirectionOff off;
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH * 2);
    return length > 0 && length < MAX_PATH * 2 ? std::wstring(buffer, length) : std::wstring();
}

std::optional<uint64_t> WindowsBackupFiles::FreeSpace(const std::wstring& path) {
    RedirectionOff off;
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW((path + L"\\").c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return available.QuadPart;
}

std::wstring DefaultBackupRoot() {
    wchar_t common[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)))
        return L"C:\\ProgramData\\ToolLog\\DriverBackup";
    return std::wstring(common) + L"\\ToolLog\\DriverBackup";
}

std::wstring DeviceConsoleToolPath() {
    return GetProgramFolder() + (Is64BitWindows() ? L"\\devconx64.exe" : L"\\devcon.exe");
}

std::string LocalTimeText() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[32];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
              now.wSecond);
    return text;
}

namespace {

class WindowsPackageBackup : public IPackageBackup {
public:
    WindowsPackageBackup(std::wstring root, uint64_t maxTotalSize)
        : backup_(files_, {root.empty() ? DefaultBackupRoot() : std::move(root), DeviceConsoleToolPath(), maxTotalSize},
                  LocalTimeText, [](std::wstring_view entry) {
                      CLogSave::GetInstance().Write(NarrowGbk(entry), kToolLogFile, true);
                  }) {}
    BackupOutcome Backup(const BackupRequest& request) override { return backup_.Backup(request); }
    void Discard(const BackupOutcome& outcome) override { backup_.Discard(outcome); }

private:
    WindowsBackupFiles files_;
    PackageBackup backup_;
};

} // namespace

std::unique_ptr<IPackageBackup> MakeWindowsBackup(std::wstring root, uint64_t maxTotalSize) {
    return std::make_unique<WindowsPackageBackup>(std::move(root), maxTotalSize);
}
