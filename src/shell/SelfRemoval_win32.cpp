// Removing the tool's files on Windows: the checks that keep the removal to the tool's own files, the deletions
// the program can make itself, and the hidden command for the rest.
#include "shell/SelfRemoval.h"

#include "base/UniqueHandle.h"

#include <windows.h>

#include <tlhelp32.h>

#include <vector>

namespace {

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

// The path of what `handle` is open on, after every link, junction and mapped drive ("" when unknown).
std::wstring FinalPath(HANDLE handle) {
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD length = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return std::wstring();
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(length + 1);
    }
}

// The final path of an existing file or folder, following links ("" when it cannot be opened).
std::wstring FinalPathOf(const std::wstring& path) {
    const UniqueHandle handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle ? FinalPath(handle.Get()) : std::wstring();
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// True when a process other than this one runs a program file that lies in the folder whose final path is
// `folderFinal` (reached by `folder`): another instance of the tool, or a Device Console it started that still
// runs. Processes whose program path cannot be read are not ours to know about.
bool AnotherProcessRunsFrom(const std::wstring& folder, const std::wstring& folderFinal) {
    const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return true; // cannot tell: keep everything
    }
    const DWORD self = ::GetCurrentProcessId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == self || entry.th32ProcessID == 0) {
            continue;
        }
        const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) {
            continue;
        }
        std::vector<wchar_t> image(32768);
        DWORD length = static_cast<DWORD>(image.size());
        if (!::QueryFullProcessImageNameW(process.Get(), 0, image.data(), &length)) {
            continue;
        }
        const std::wstring imagePath(image.data(), length);
        const std::wstring_view imageFolder = FolderOfModule(imagePath);
        if (SamePath(imageFolder, folder)) {
            return true;
        }
        const std::wstring imageFinal = FinalPathOf(imagePath);
        if (!imageFinal.empty() && SamePath(FolderOfModule(imageFinal), folderFinal)) {
            return true;
        }
    }
    return false;
}

// What one shipped name turned out to be.
enum class FileFate { Absent, NotOurs, Ours, Deleted };

// Opens `name` in the folder without following a link or junction and tells whether it is a plain file lying
// in the folder itself; with `deleteNow` it is also deleted through that very handle when it can go now (the
// running program cannot). A folder, a link, a junction or any other reparse point, and a file whose final path
// lies elsewhere, is not ours.
FileFate CheckShippedFile(const std::wstring& folder, const std::wstring& folderFinal, const std::wstring& name,
                          bool deleteNow) {
    const std::wstring path = folder + L"\\" + name;
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueHandle withDelete(
        ::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING, flags, nullptr));
    const UniqueHandle readOnly(
        withDelete ? INVALID_HANDLE_VALUE
                   : ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING, flags, nullptr));
    const HANDLE handle = withDelete ? withDelete.Get() : readOnly.Get();
    if (!withDelete && !readOnly) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileFate::Absent : FileFate::NotOurs;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return FileFate::NotOurs;
    }
    // Also what the open reached, and what the name reaches when links are followed, must be the folder's
    // own file: a link that does not announce itself as one leads elsewhere.
    const std::wstring expected = folderFinal + L"\\" + name;
    if (!SamePath(FinalPath(handle), expected) || !SamePath(FinalPathOf(path), expected)) {
        return FileFate::NotOurs;
    }
    if (deleteNow && withDelete) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        if (::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition)) {
            return FileFate::Deleted; // gone when the handle closes
        }
    }
    return FileFate::Ours;
}

} // namespace

bool StartSelfRemovalOf(const std::wstring& folder, std::span<const std::wstring> files) {
    if (!IsRemovableProgramFolder(folder)) {
        return false;
    }
    for (const std::wstring& file : files) {
        if (!IsPlainFileName(file)) {
            return false;
        }
    }
    const std::wstring folderFinal = FinalPathOf(folder);
    const std::wstring system = SystemFolder();
    if (folderFinal.empty() || system.empty() || AnotherProcessRunsFrom(folder, folderFinal)) {
        return false;
    }
    // Which names are the tool's own plain files, decided before anything is deleted or started.
    std::vector<std::wstring> ours;
    for (const std::wstring& file : files) {
        if (CheckShippedFile(folder, folderFinal, file, false) == FileFate::Ours) {
            ours.push_back(file);
        }
    }
    const std::optional<std::wstring> arguments = SelfRemovalArguments(folder, ours);
    if (!arguments) {
        return false;
    }
    // The interpreter comes from the system folder, never from the program folder or the search path, and runs
    // there too, so that no folder it deletes is its current one.
    const std::wstring interpreter = system + L"\\cmd.exe";
    std::wstring commandLine = L"cmd.exe " + *arguments;
    if (!::SetEnvironmentVariableW(kSelfRemovalFolderVariable, folder.c_str())) {
        return false;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                          CREATE_NO_WINDOW, nullptr, system.c_str(), &startup, &process);
    ::SetEnvironmentVariableW(kSelfRemovalFolderVariable, nullptr);
    if (!started) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    // The command waits about three seconds before it deletes anything; what can go now goes through a handle
    // that cannot be redirected, and the command finds it gone. Starting first means a command that cannot
    // start leaves the whole tool in place.
    for (const std::wstring& file : ours) {
        CheckShippedFile(folder, folderFinal, file, true);
    }
    return true;
}

bool StartSelfRemoval() {
    std::vector<wchar_t> path(MAX_PATH);
    while (true) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return false;
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::wstring modulePath(path.begin(), path.end());
    const std::wstring folder(FolderOfModule(modulePath));
    const std::vector<std::wstring> files(std::begin(kShippedFiles), std::end(kShippedFiles));
    return StartSelfRemovalOf(folder, files);
}
