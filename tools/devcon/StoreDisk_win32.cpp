// Disk side of the simulated driver store. Files are only written where they are missing or differ in size,
// so an ordinary invocation costs a few attribute checks.
#include "StoreDisk_win32.h"

#include "PackageStore.h"

#include <windows.h>

#include <set>

namespace {

std::wstring Widen(const std::string& text) {
    if (text.empty())
        return {};
    std::wstring wide(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        static_cast<int>(wide.size()));
    return wide;
}

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : L"C:\\Windows";
}

const char* Arch() {
    return sizeof(void*) == 8 ? "amd64" : "x86";
}

bool HasSize(const std::wstring& path, size_t size) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.nFileSizeHigh == 0 && data.nFileSizeLow == size;
}

// A file that differs is replaced by a new one, never rewritten in place: test prefixes share the files of
// their system folders by hard links.
void Write(const std::wstring& path, const std::string& bytes) {
    if (HasSize(path, bytes.size()))
        return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// Names in `folder` matching `pattern` that are not `kept` (lower case).
template <typename Action>
void ForEachStale(const std::wstring& folder, const wchar_t* pattern, const std::set<std::wstring>& kept, bool folders,
                  Action action) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name != L"." && name != L".." && isFolder == folders && !kept.count(Lower(name)))
            action(folder + L"\\" + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

} // namespace

void SyncStoreFiles(const SimulatedPc& pc) {
    const std::wstring windows = WindowsFolder();
    const std::wstring infFolder = windows + L"\\INF";
    const std::wstring repository = windows + L"\\System32\\DriverStore\\FileRepository";
    CreateDirectoryW(infFolder.c_str(), nullptr);
    CreateDirectoryW((windows + L"\\System32\\DriverStore").c_str(), nullptr);
    CreateDirectoryW(repository.c_str(), nullptr);

    std::set<std::wstring> keptInfs;
    std::set<std::wstring> keptFolders;
    for (const DriverPackage& package : pc.packages) {
        if (!HasStoreFiles(package) || package.deleted)
            continue;
        const std::wstring published = Widen(package.PublishedName());
        const std::wstring folder = repository + L"\\" + Widen(StoreFolderName(package, Arch()));
        keptInfs.insert(Lower(published));
        keptInfs.insert(Lower(Widen(PnfName(package.PublishedName()))));
        keptFolders.insert(Lower(Widen(StoreFolderName(package, Arch()))));
        const std::vector<StoreFile> files = PackageStoreFiles(pc, package);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const StoreFile& file : files)
            Write(folder + L"\\" + Widen(file.name), file.bytes);
        Write(infFolder + L"\\" + published, files.front().bytes);
        Write(infFolder + L"\\" + Widen(PnfName(package.PublishedName())), PackagePnf(pc, package));
    }
    ForEachStale(infFolder, L"oem*.*", keptInfs, false, [](const std::wstring& path) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    });
    ForEachStale(repository, L"*", keptFolders, true, RemoveTree);
}

PackageDisk MachineDisk() {
    PackageDisk disk;
    disk.arch = Arch();
    disk.read = [](const std::string& path) -> std::optional<std::string> {
        const HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return std::nullopt;
        std::string bytes;
        char buffer[65536];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
            bytes.append(buffer, read);
        CloseHandle(file);
        return bytes;
    };
    return disk;
}
