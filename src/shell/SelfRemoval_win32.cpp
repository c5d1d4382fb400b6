// Starting the self-removal command: hidden, detached, with the program folder in its environment.
#include "shell/SelfRemoval.h"

#include <windows.h>

#include <vector>

namespace {

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

// Only regular files are deleted: a folder or link that happens to carry a shipped name stays as it is.
bool IsRegularFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

bool NamesASetVariable(std::wstring_view folder) {
    for (const std::wstring_view name : PercentNames(folder)) {
        const std::wstring variable(name);
        if (::GetEnvironmentVariableW(variable.c_str(), nullptr, 0) > 0) {
            return true;
        }
    }
    return false;
}

} // namespace

bool StartSelfRemovalOf(const std::wstring& folder, std::span<const std::wstring> files) {
    std::vector<std::wstring> present;
    for (const std::wstring& file : files) {
        if (IsRegularFile(folder + L"\\" + file)) {
            present.push_back(file);
        }
    }
    const std::optional<std::wstring> arguments = SelfRemovalArguments(folder, present);
    const std::wstring system = SystemFolder();
    if (!arguments || system.empty() || NamesASetVariable(folder)) {
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
                                          CREATE_NO_WINDOW, nullptr, system.c_str(),
                                          &startup, &process);
    ::SetEnvironmentVariableW(kSelfRemovalFolderVariable, nullptr);
    if (!started) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
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
