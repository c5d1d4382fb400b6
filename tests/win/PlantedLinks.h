// Planting links for the tests under Wine and Windows, and starting helper programs.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace planted {

// Starts `program` with `arguments`; the process handle, or null.
inline HANDLE Start(const std::filesystem::path& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return nullptr;
    }
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

// The Unix path of a path on Wine's Z: drive ("" for any other path).
inline std::wstring UnixPath(const std::filesystem::path& path) {
    std::wstring text = path.wstring();
    if (text.size() < 2 || (text[0] != L'Z' && text[0] != L'z') || text[1] != L':') {
        return std::wstring();
    }
    text.erase(0, 2);
    for (wchar_t& c : text) {
        c = c == L'\\' ? L'/' : c;
    }
    return text;
}

// Starts a Unix tool of the machine under Wine (Wine starts Unix programs too, but neither reports on them
// reliably nor waits for them).
inline void StartUnix(const std::wstring& tool, const std::wstring& arguments) {
    const HANDLE process = Start(L"Z:\\bin\\" + tool, arguments);
    if (process != nullptr) {
        ::CloseHandle(process);
    }
}

inline bool Exists(const std::filesystem::path& path) {
    return ::GetFileAttributesW(path.wstring().c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A symbolic link made the way the system allows: CreateSymbolicLinkW where it really makes one (Windows with
// the right to), else a Unix link through Wine's Z: drive. Wine 8's CreateSymbolicLinkW answers success but
// makes nothing, and Wine shows a Unix link to a file as the plain file it leads to.
inline bool PlantLink(const std::filesystem::path& link, const std::filesystem::path& target, bool toFolder) {
    ::CreateSymbolicLinkW(link.wstring().c_str(), target.wstring().c_str(),
                          toFolder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
    if (Exists(link)) {
        return true;
    }
    const std::wstring from = UnixPath(target);
    const std::wstring to = UnixPath(link);
    if (from.empty() || to.empty()) {
        return false;
    }
    StartUnix(L"ln", L"-s \"" + from + L"\" \"" + to + L"\"");
    for (int i = 0; i < 100 && !Exists(link); ++i) {
        ::Sleep(50);
    }
    return Exists(link);
}

} // namespace planted
