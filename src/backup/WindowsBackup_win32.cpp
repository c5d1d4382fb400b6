// Windows file operations for the backups. On 64-bit Windows this 32-bit program would see SysWOW64 in place
// of System32, so every file access runs with the thread's file-system redirection off — and only file access:
// a call that may load a library keeps it on. Paths go to the system in their "\\?\" form, so a store folder
// deeper than 260 characters is read and saved like any other.
//
// Links: Windows marks a link, junction or mount point as a reparse point; Wine shows a Unix link as the
// folder or file it leads to, so there a link is told by where an open of it really lands.
#include "backup/WindowsBackup.h"

#include "backup/BackupTrust.h"
#include "backup/Sha256.h"
#include "base/UniqueHandle.h"
#include "console/WindowsConsole.h"
#include "logging/LogSave.h"
#include "text/CodePage.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <cstring>
#include <memory>

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

// "C:\\x" → "\\?\C:\\x", "\\\\server\\share" → "\\?\UNC\\server\\share"; other forms stay.
std::wstring Extended(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0)
        return path;
    if (path.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\')
        return L"\\\\?\\" + path;
    return path;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// What an open of `path` lands on after every link ("" when it cannot be opened).
std::wstring FinalPathOf(const std::wstring& path, bool followLinks) {
    const UniqueHandle file(CreateFileW(Extended(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                                        nullptr));
    if (!file)
        return {};
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                       FILE_NAME_NORMALIZED);
        if (length == 0)
            return {};
        if (length < buffer.size())
            return buffer.substr(0, length);
        buffer.resize(length + 1);
    }
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// True when `path` is a link, junction or other reparse point (or is not there). Windows marks every such
// thing; Wine 8 marks a Unix link to a folder but shows one to a file as the file, so there the link is told
// by where an open of it lands. Wine cannot name where an open landed past 260 characters: that deep, only
// the mark counts.
bool IsLink(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(Extended(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return true;
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return false;
    const std::wstring parent = FinalPathOf(path.substr(0, slash), true);
    const std::wstring final = FinalPathOf(path, false);
    if (parent.empty() || final.empty())
        return false;
    return !SamePath(final, parent + (parent.back() == L'\\' ? L"" : L"\\") + path.substr(slash + 1));
}

std::wstring Parent(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The backups' own access list (BackupTrust.h), made once.
SECURITY_ATTRIBUTES* BackupSecurity() {
    static PSECURITY_DESCRIPTOR descriptor = [] {
        PSECURITY_DESCRIPTOR made = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(kBackupFolderSddl, SDDL_REVISION_1, &made, nullptr);
        return made;
    }();
    static SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    return descriptor != nullptr ? &attributes : nullptr;
}

// Makes the folder and its parents (those with the backups' access list); true when it exists afterwards.
bool MakeFolders(const std::wstring& folder) {
    if (folder.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(Extended(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder.size() > 3)
        MakeFolders(Parent(folder));
    return CreateDirectoryW(Extended(folder).c_str(), BackupSecurity()) || GetLastError() == ERROR_ALREADY_EXISTS;
}

class Search {
public:
    Search(const std::wstring& folder, WIN32_FIND_DATAW& found)
        : handle_(FindFirstFileW(Extended(folder + L"\\*").c_str(), &found)), found_(found) {}
    ~Search() {
        if (handle_ != INVALID_HANDLE_VALUE)
            FindClose(handle_);
    }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;
    // False when the folder could not be listed at all.
    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next() { return FindNextFileW(handle_, &found_) != FALSE; }

private:
    HANDLE handle_;
    WIN32_FIND_DATAW& found_;
};

bool IsDots(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}

// Lists the files below a folder; a folder reached through a link is not entered. False on a listing error.
bool ListInto(const std::wstring& folder, const std::wstring& prefix, std::vector<FileEntry>& entries) {
    WIN32_FIND_DATAW found{};
    Search search(folder, found);
    if (!search.Open())
        return false;
    bool listed = true;
    do {
        if (IsDots(found.cFileName))
            continue;
        const std::wstring name = found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!IsLink(folder + L"\\" + name))
                listed = ListInto(folder + L"\\" + name, prefix + name + L"\\", entries) && listed;
        } else {
            entries.push_back({prefix + name, (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
        }
    } while (search.Next());
    return listed && GetLastError() == ERROR_NO_MORE_FILES;
}

// Removes a link itself: a folder link or junction as a folder, a file link as a file. Only a link the system
// marks as a reparse point is removed: Wine 8 shows a Unix link to a file as a plain file and deleting it
// deletes the file it leads to (and refuses to remove a Unix link to a folder), so such a link stays.
bool RemoveLink(const std::wstring& path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return false;
    const std::wstring extended = Extended(path);
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(extended.c_str()) != FALSE
                                                   : DeleteFileW(extended.c_str()) != FALSE;
}

// Never enters a link: removes it as a link. True when everything is gone.
bool RemoveAll(const std::wstring& path) {
    bool removed = true;
    {
        WIN32_FIND_DATAW found{};
        Search search(path, found);
        if (search.Open()) {
            do {
                if (IsDots(found.cFileName))
                    continue;
                const std::wstring child = path + L"\\" + found.cFileName;
                const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || IsLink(child)) {
                    removed = RemoveLink(child, found.dwFileAttributes) && removed;
                } else if (folder) {
                    removed = RemoveAll(child) && removed;
                } else {
                    SetFileAttributesW(Extended(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                    removed = DeleteFileW(Extended(child).c_str()) && removed;
                }
            } while (search.Next());
        }
    }
    return RemoveDirectoryW(Extended(path).c_str()) && removed;
}

bool UnderWine() {
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// This process's user.
bool IsOwnUser(PSID sid) {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out()))
        return false;
    alignas(TOKEN_USER) unsigned char buffer[256];
    DWORD length = 0;
    const bool same = GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &length) &&
                      EqualSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, sid);
    return same;
}

Principal PrincipalOf(PSID sid) {
    if (sid == nullptr)
        return Principal::Other;
    if (UnderWine() && IsOwnUser(sid))
        return Principal::WinePrefixOwner;
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
        return Principal::Administrators;
    if (IsWellKnownSid(sid, WinLocalSystemSid))
        return Principal::System;
    if (IsWellKnownSid(sid, WinCreatorOwnerSid))
        return Principal::CreatorOwner;
    // NT SERVICE\TrustedInstaller
    PSID installer = nullptr;
    if (ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &installer)) {
        const bool same = EqualSid(sid, installer) != FALSE;
        LocalFree(installer);
        if (same)
            return Principal::TrustedInstaller;
    }
    return Principal::Other;
}

std::wstring NameOf(PSID sid) {
    wchar_t name[256] = {}, domain[256] = {};
    DWORD nameLength = 256, domainLength = 256;
    SID_NAME_USE use{};
    if (sid != nullptr && LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use))
        return domain[0] ? std::wstring(domain) + L"\\" + name : std::wstring(name);
    LPWSTR text = nullptr;
    if (sid == nullptr || !ConvertSidToStringSidW(sid, &text))
        return L"（未知）";
    std::wstring named = text;
    LocalFree(text);
    return named;
}

FolderSecurity ReadFolderSecurity(const std::wstring& folder) {
    FolderSecurity security;
    if (IsLink(folder)) {
        security.link = true;
        return security;
    }
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        security.readable = false;
        return security;
    }
    const std::unique_ptr<void, decltype(&LocalFree)> held(descriptor, LocalFree);
    // Names are looked up (which may ask a domain controller) only for those a message would name.
    security.owner = PrincipalOf(owner);
    security.ownerName = security.owner == Principal::Other ? NameOf(owner) : std::wstring();
    security.nullDacl = dacl == nullptr;
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace))
            continue;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE)
            continue; // object and callback entries do not occur on files
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        const Principal who = PrincipalOf(sid);
        security.entries.push_back({who, who == Principal::Other ? NameOf(sid) : std::wstring(),
                                    header->AceType == ACCESS_ALLOWED_ACE_TYPE,
                                    (header->AceFlags & INHERIT_ONLY_ACE) != 0, allowed->Mask});
    }
    return security;
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
    // Redirection stays on: the call may load libraries, which breaks with it off. The path it gives names
    // System32, which the file operations then read with redirection off.
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD required = 0;
    if (!locate(published.c_str(), nullptr, nullptr, buffer.data(), static_cast<DWORD>(buffer.size()), &required)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || required == 0)
            return {};
        buffer.assign(required, L'\0');
        if (!locate(published.c_str(), nullptr, nullptr, buffer.data(), required, &required))
            return {};
    }
    return buffer.c_str();
}

std::vector<std::wstring> WindowsBackupFiles::Folders(const std::wstring& folder) {
    RedirectionOff off;
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    Search search(folder, found);
    if (!search.Open())
        return names;
    do {
        if (!IsDots(found.cFileName) && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (search.Next());
    return names;
}

std::vector<FileEntry> WindowsBackupFiles::Files(const std::wstring& folder) {
    return ListFiles(folder).value_or(std::vector<FileEntry>());
}

std::optional<std::vector<FileEntry>> WindowsBackupFiles::ListFiles(const std::wstring& folder) {
    RedirectionOff off;
    std::vector<FileEntry> entries;
    if (!ListInto(folder, L"", entries)) {
        Remember(L"列出 " + folder + L" 的文件");
        return std::nullopt;
    }
    return entries;
}

bool WindowsBackupFiles::Exists(const std::wstring& path) {
    RedirectionOff off;
    return GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<uint64_t> WindowsBackupFiles::FileSize(const std::wstring& path) {
    RedirectionOff off;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Extended(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::string> WindowsBackupFiles::HashFile(const std::wstring& path) {
    RedirectionOff off;
    UniqueHandle file(CreateFileW(Extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        Remember(L"读取 " + path);
        return std::nullopt;
    }
    Sha256 hash;
    static thread_local char buffer[1 << 16];
    DWORD read = 0;
    while (true) {
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) {
            Remember(L"读取 " + path);
            return std::nullopt;
        }
        if (read == 0)
            break;
        if (!hash.Update(buffer, read))
            return std::nullopt;
    }
    std::string digest = hash.HexDigest();
    return digest.empty() ? std::nullopt : std::optional<std::string>(std::move(digest));
}

std::optional<std::string> WindowsBackupFiles::ReadFile(const std::wstring& path) {
    RedirectionOff off;
    UniqueHandle file(CreateFileW(Extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
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
        UniqueHandle file(
            CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            Remember(L"写入 " + path);
            return false;
        }
        DWORD done = 0;
        written = ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                  done == bytes.size() && FlushFileBuffers(file.Get());
        if (!written)
            Remember(L"写入 " + path);
    }
    if (!written)
        DeleteFileW(Extended(path).c_str());
    return written;
}

bool WindowsBackupFiles::CopyNewFile(const std::wstring& from, const std::wstring& to) {
    RedirectionOff off;
    if (!MakeFolders(Parent(to))) {
        Remember(L"创建文件夹 " + Parent(to));
        return false;
    }
    if (!CopyFileW(Extended(from).c_str(), Extended(to).c_str(), TRUE)) {
        Remember(L"复制 " + from);
        return false;
    }
    return true;
}

std::optional<std::string> WindowsBackupFiles::CopyChecked(const std::wstring& from, const std::wstring& to) {
    // One read of the source both hashes and copies; the check then reads both files back (from the cache,
    // mostly) and compares them byte for byte, which costs far less than hashing the copy again.
    RedirectionOff off;
    if (!MakeFolders(Parent(to))) {
        Remember(L"创建文件夹 " + Parent(to));
        return std::nullopt;
    }
    const UniqueHandle source(CreateFileW(Extended(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source) {
        Remember(L"读取 " + from);
        return std::nullopt;
    }
    std::string digest;
    {
        const UniqueHandle target(CreateFileW(Extended(to).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                              CREATE_NEW, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!target) {
            Remember(L"创建 " + to);
            return std::nullopt;
        }
        constexpr DWORD kChunk = 1 << 20;
        const std::unique_ptr<char[]> buffer(new char[kChunk]), readBack(new char[kChunk]);
        Sha256 hash;
        bool copied = true;
        for (DWORD read = 0;;) {
            if (!::ReadFile(source.Get(), buffer.get(), kChunk, &read, nullptr)) {
                Remember(L"读取 " + from);
                copied = false;
                break;
            }
            if (read == 0)
                break;
            DWORD written = 0;
            if (!hash.Update(buffer.get(), read) || !::WriteFile(target.Get(), buffer.get(), read, &written, nullptr) ||
                written != read) {
                Remember(L"写入 " + to);
                copied = false;
                break;
            }
        }
        bool same = copied && SetFilePointer(source.Get(), 0, nullptr, FILE_BEGIN) == 0 &&
                    SetFilePointer(target.Get(), 0, nullptr, FILE_BEGIN) == 0;
        for (DWORD read = 0, readAgain = 0; same;) {
            same = ::ReadFile(source.Get(), buffer.get(), kChunk, &read, nullptr) &&
                   ::ReadFile(target.Get(), readBack.get(), kChunk, &readAgain, nullptr) && read == readAgain &&
                   std::memcmp(buffer.get(), readBack.get(), read) == 0;
            if (read == 0)
                break;
        }
        if (copied && !same)
            lastError_ = L"复制的 " + to + L" 与 " + from + L" 不一致（复制时被改动，或磁盘出错）";
        if (same)
            digest = hash.HexDigest();
    }
    if (digest.empty()) {
        DeleteFileW(Extended(to).c_str());
        return std::nullopt;
    }
    return digest;
}

bool WindowsBackupFiles::CreateNewFolder(const std::wstring& path) {
    RedirectionOff off;
    MakeFolders(Parent(path));
    if (!CreateDirectoryW(Extended(path).c_str(), BackupSecurity())) {
        Remember(L"创建文件夹 " + path);
        return false;
    }
    return true;
}

bool WindowsBackupFiles::Rename(const std::wstring& from, const std::wstring& to) {
    RedirectionOff off;
    return !IsLink(from) && MoveFileExW(Extended(from).c_str(), Extended(to).c_str(), 0) != FALSE;
}

bool WindowsBackupFiles::RemoveTree(const std::wstring& path) {
    RedirectionOff off;
    return !IsLink(path) && RemoveAll(path);
}

std::optional<std::wstring> WindowsBackupFiles::Distrust(const std::wstring& folder) {
    RedirectionOff off;
    return JudgeFolderSecurity(ReadFolderSecurity(folder));
}

bool WindowsBackupFiles::Secure(const std::wstring& folder) {
    RedirectionOff off;
    const FolderSecurity security = ReadFolderSecurity(folder);
    // Only a folder no one else owns: an owner could always widen the list again.
    if (security.link || !security.readable ||
        (security.owner != Principal::Administrators && security.owner != Principal::System &&
         security.owner != Principal::WinePrefixOwner))
        return false;
    const SECURITY_ATTRIBUTES* wanted = BackupSecurity();
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (wanted == nullptr || !GetSecurityDescriptorDacl(wanted->lpSecurityDescriptor, &present, &dacl, &defaulted) ||
        !present)
        return false;
    return SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                 dacl, nullptr) == ERROR_SUCCESS;
}

std::wstring WindowsBackupFiles::LastError() {
    return lastError_;
}

void WindowsBackupFiles::Remember(const std::wstring& what) {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = text != nullptr ? text : L"";
    LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' ' ||
                               reason.back() == L'.' || reason.back() == L'。'))
        reason.pop_back();
    lastError_ = what + L" 失败（错误 " + std::to_wstring(code) + (reason.empty() ? L"" : L"：" + reason) + L"）";
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
    // Local time and its offset from the same instant: the offset is what separates the two
    // "01:30"s of a night that turns the clock back.
    SYSTEMTIME utc{}, local{};
    GetSystemTime(&utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        local = utc;
    FILETIME utcFile{}, localFile{};
    SystemTimeToFileTime(&utc, &utcFile);
    SystemTimeToFileTime(&local, &localFile);
    const auto ticks = [](const FILETIME& time) {
        return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    const int64_t offsetMinutes = (ticks(localFile) - ticks(utcFile)) / 600000000;
    const int64_t magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[40];
    wsprintfA(text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
              local.wMinute, local.wSecond, offsetMinutes < 0 ? '-' : '+', static_cast<unsigned>(magnitude / 60),
              static_cast<unsigned>(magnitude % 60));
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
    void Discard(BackupOutcome& outcome) override { backup_.Discard(outcome); }

private:
    WindowsBackupFiles files_;
    PackageBackup backup_;
};

} // namespace

std::unique_ptr<IPackageBackup> MakeWindowsBackup(std::wstring root, uint64_t maxTotalSize) {
    return std::make_unique<WindowsPackageBackup>(std::move(root), maxTotalSize);
}
