// The operating-system check under each Windows version Wine can pretend to be. Wine takes the version a
// program reports from HKCU\Software\Wine\AppDefaults\<exe name>\Version, so every case runs the probe under
// a name of its own and no other test in the prefix is affected.
#include "shell/SystemSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

// The test's work folder: the parent of the program folder.
std::wstring WorkFolder() {
    const std::wstring folder = ProgramFolder();
    return folder.substr(0, folder.rfind(L'\\'));
}

// The Wine version setting of one program name, removed again at the end of the case.
class VersionOverride {
public:
    VersionOverride(const std::wstring& exeName, const std::wstring& version)
        : m_key(L"Software\\Wine\\AppDefaults\\" + exeName) {
        HKEY key = nullptr;
        m_ok = RegCreateKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                               nullptr) == ERROR_SUCCESS;
        if (m_ok) {
            m_ok = RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                                  static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
            RegCloseKey(key);
        }
    }
    ~VersionOverride() { RegDeleteKeyW(HKEY_CURRENT_USER, m_key.c_str()); }
    VersionOverride(const VersionOverride&) = delete;
    VersionOverride& operator=(const VersionOverride&) = delete;

    bool Ok() const { return m_ok; }

private:
    std::wstring m_key;
    bool m_ok = false;
};

// Runs the probe copied under `exeName`; its exit code, or -1 when it could not run.
long RunProbe(const std::wstring& exeName) {
    const std::wstring copy = WorkFolder() + L"\\" + exeName;
    if (!CopyFileW((ProgramFolder() + L"\\system_version_probe.exe").c_str(), copy.c_str(), FALSE))
        return -1;
    std::wstring commandLine = L"\"" + copy + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileW(copy.c_str());
    return static_cast<long>(code);
}

struct Case {
    const wchar_t* wineVersion;
    unsigned major;
    unsigned minor;
    bool supported;
};

TEST(SystemSupportUnderWine, RefusesOlderWindowsAndAcceptsWindows7To10) {
    const Case cases[] = {
        {L"nt40", 4, 0, false},     {L"win2k", 5, 0, false}, {L"winxp", 5, 1, false},   {L"winxp64", 5, 2, false},
        {L"win2003", 5, 2, false},  {L"vista", 6, 0, false}, {L"win2008", 6, 0, false}, {L"win7", 6, 1, true},
        {L"win2008r2", 6, 1, true}, {L"win8", 6, 2, true},   {L"win81", 6, 3, true},    {L"win10", 10, 0, true},
    };
    for (const Case& c : cases) {
        const std::wstring name = std::wstring(L"tolvik-os-") + c.wineVersion + L".exe";
        SCOPED_TRACE(testing::Message() << "Wine version " << std::string(name.begin(), name.end()));
        VersionOverride override(name, c.wineVersion);
        ASSERT_TRUE(override.Ok());
        const long code = RunProbe(name);
        ASSERT_GE(code, 0) << "the probe did not run";
        EXPECT_EQ(code / 10000, static_cast<long>(c.major));
        EXPECT_EQ(code / 10 % 1000, static_cast<long>(c.minor));
        EXPECT_EQ(code % 10 == 1, c.supported);
    }
}

TEST(SystemSupportUnderWine, ReadsTheKernelsNumbersNotTheCompatibilityAnswer) {
    // RtlGetVersion answers with the kernel's numbers whatever the manifest says.
    using RtlGetVersionProc = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(rtlGetVersion, nullptr);
    OSVERSIONINFOW kernel{};
    kernel.dwOSVersionInfoSize = sizeof kernel;
    ASSERT_EQ(rtlGetVersion(&kernel), 0);

    const SystemVersion version = ReadSystemVersion();
    EXPECT_EQ(version.major, kernel.dwMajorVersion);
    EXPECT_EQ(version.minor, kernel.dwMinorVersion);
    EXPECT_EQ(IsSupportedSystem(), IsSupportedVersion(version));
}

} // namespace
