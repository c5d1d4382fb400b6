// The stand-in feedback library (VarunelFeedbackInformation.dll): answers from settings.ini and journals every
// call in journal.txt, both in a folder outside the program folder.
#include "LibraryRules.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kDefaultDownloadAddress[] = L"https://kb.varunel.com/download/10102.html";

SRWLOCK g_journalLock = SRWLOCK_INIT;

std::wstring Environment(const wchar_t* name) {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return {};
    return std::wstring(buffer.data(), length);
}

bool TestMode() {
    return !Environment(L"TOLVIK_FEEDBACK_DIR").empty();
}

// TOLVIK_FEEDBACK_DIR, or TolvikFeedbackLibrary in the machine-wide application-data folder; created when
// missing. Ends without a backslash.
std::wstring DataFolder() {
    std::wstring folder = Environment(L"TOLVIK_FEEDBACK_DIR");
    if (folder.empty()) {
        wchar_t common[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathW(nullptr, common, CSIDL_COMMON_APPDATA, TRUE))
            return {};
        folder = std::wstring(common) + L"\\TolvikFeedbackLibrary";
    }
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return folder;
}

std::wstring SettingsFile() {
    return DataFolder() + L"\\settings.ini";
}

std::wstring ReadSetting(const wchar_t* section, const wchar_t* key, const wchar_t* fallback) {
    std::vector<wchar_t> buffer(4096);
    const DWORD length = GetPrivateProfileStringW(section, key, fallback, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), SettingsFile().c_str());
    return std::wstring(buffer.data(), length);
}

int ReadNumber(const wchar_t* section, const wchar_t* key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntW(section, key, fallback, SettingsFile().c_str()));
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    std::string text(
        static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    return text;
}

// Appends one line to the journal; one write per line, so lines of several processes do not mix.
void Journal(const wchar_t* name, const std::vector<JournalArgument>& arguments) {
    const std::string line = Utf8(JournalLine(name, arguments));
    AcquireSRWLockExclusive(&g_journalLock);
    const std::wstring path = DataFolder() + L"\\journal.txt";
    const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    ReleaseSRWLockExclusive(&g_journalLock);
}

// Hands the address to the system's default handler, unless the settings (or test mode) say to record only.
// Journals what happened as an "Open" line.
int OpenAddress(const wchar_t* address) {
    if (address == nullptr || *address == L'\0') {
        Journal(L"Open", {address, L"refused"});
        return 0;
    }
    const bool launch = ReadNumber(L"open", L"launch", TestMode() ? 0 : 1) != 0;
    if (!launch) {
        Journal(L"Open", {address, L"recorded"});
        return 1;
    }
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL));
    const bool opened = result > 32;
    Journal(L"Open", {address, opened ? L"launched" : L"failed"});
    return opened ? 1 : 0;
}

} // namespace

// Exported by name through the .def files; C calling convention, so the names stay undecorated.
extern "C" {

int __cdecl InitFreedbackDll() {
    Journal(L"InitFreedbackDll", {});
    return ReadNumber(L"init", L"result", 1);
}

int __cdecl FeedbackQuestion(const wchar_t* toolId, const wchar_t* version) {
    Journal(L"FeedbackQuestion", {toolId, version});
    return 1;
}

int __cdecl OpenUrl(const wchar_t* address) {
    Journal(L"OpenUrl", {address});
    return OpenAddress(address);
}

int __cdecl GetInterNetState() {
    Journal(L"GetInterNetState", {});
    return ReadNumber(L"network", L"online", 1) != 0 ? 1 : 0;
}

int __cdecl CustomerFeedback(const wchar_t* toolId, const wchar_t* version, int choice) {
    Journal(L"CustomerFeedback", {toolId, version, choice});
    return 1;
}

int __cdecl CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* version, int choice, const wchar_t* timeText) {
    Journal(L"CustomerFeedbackEx", {toolId, version, choice, timeText});
    return 1;
}

int __cdecl WriteCustomerFeedbackInfoFile(const wchar_t* toolId, const wchar_t* version, const wchar_t* text) {
    Journal(L"WriteCustomerFeedbackInfoFile", {toolId, version, text});
    return 1;
}

int __cdecl GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* version) {
    Journal(L"GetToolIsNewVersion", {toolId, version});
    const bool forceNewer = ReadNumber(L"update", L"newer", 0) != 0;
    return NewVersionAnswer(forceNewer, ReadSetting(L"update", L"latest", L""), version ? version : L"");
}

int __cdecl OpenToolDownUrl() {
    Journal(L"OpenToolDownUrl", {});
    return OpenAddress(ReadSetting(L"update", L"download", kDefaultDownloadAddress).c_str());
}

} // extern "C"
