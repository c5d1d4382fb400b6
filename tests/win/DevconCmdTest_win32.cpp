// The Device Console stand-in as the tool runs it: "cmd /D /C .\devcon.exe ..." started in the program folder,
// output read through a pipe. Runs from a program folder holding devcon.exe (32-bit Windows) or devconx64.exe (64-bit),
// with the demo PC in TOLVIK_SIM_DIR.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    ~Handle() {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle_; }
    HANDLE* Out() { return &handle_; }

private:
    HANDLE handle_;
};

std::wstring FromUtf8(const std::string& text) {
    std::wstring wide(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        static_cast<int>(wide.size()));
    return wide;
}

std::string Narrow(UINT codePage, const std::wstring& wide) {
    std::string text(static_cast<size_t>(WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                                             nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                        static_cast<int>(text.size()), nullptr, nullptr);
    return text;
}

// The expected console bytes: code page 936.
std::string Gbk(const std::string& utf8) {
    return Narrow(936, FromUtf8(utf8));
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring SimFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TOLVIK_SIM_DIR", folder, MAX_PATH);
    return folder;
}

std::wstring ToolName() {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 ? L"devconx64" : L"devcon";
}

std::string ReadAll(const std::wstring& path) {
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (file.Get() != INVALID_HANDLE_VALUE && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read)
        bytes.append(buffer, read);
    return bytes;
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

struct Output {
    std::string out;
    std::string err;
    DWORD exitCode = 0;
};

// cmd /D /C .\<tool>.exe <arguments> in the program folder, stdout through a pipe, stderr into a file.
Output RunTool(const std::wstring& arguments) {
    const std::wstring errPath = SimFolder() + L"\\stderr.bin";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle readOut, writeOut;
    EXPECT_TRUE(CreatePipe(readOut.Out(), writeOut.Out(), &inherit, 0));
    SetHandleInformation(readOut.Get(), HANDLE_FLAG_INHERIT, 0);
    Output output;
    {
        Handle errFile(
            CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = writeOut.Get();
        startup.hStdError = errFile.Get();
        std::wstring line = L"cmd /D /C .\\" + ToolName() + L".exe" + (arguments.empty() ? L"" : L" ") + arguments;
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                   ProgramFolder().c_str(), &startup, &process));
        Handle thread(process.hThread), child(process.hProcess);
        CloseHandle(*writeOut.Out());
        *writeOut.Out() = nullptr;
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(readOut.Get(), buffer, sizeof buffer, &read, nullptr) && read)
            output.out.append(buffer, read);
        WaitForSingleObject(child.Get(), INFINITE);
        GetExitCodeProcess(child.Get(), &output.exitCode);
    }
    output.err = ReadAll(errPath);
    return output;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

class DevconCmd : public testing::Test {
protected:
    static void SetUpTestSuite() { demo_ = new std::string(ReadAll(SimFolder() + L"\\pc.txt")); }
    static void TearDownTestSuite() { delete demo_; }
    void SetUp() override {
        ASSERT_FALSE(demo_->empty()) << "the demo PC is not in TOLVIK_SIM_DIR";
        WriteAll(SimFolder() + L"\\pc.txt", *demo_);
        tool_ = Narrow(CP_UTF8, ToolName()) + ".exe"; // the name it was started by
    }
    static std::string* demo_;
    std::string tool_;
};

std::string* DevconCmd::demo_ = nullptr;

} // namespace

TEST_F(DevconCmd, QueriesPrintConsoleCodePageBytes) {
    const Output files = RunTool(L"driverfiles *PCI\\VEN_8086^&DEV_3E9B*");
    EXPECT_EQ(files.out, "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00\\3&11583659&0&10\r\n"
                         "    Name: Intel(R) UHD Graphics 630\r\n"
                         "    Driver installed from C:\\Windows\\INF\\oem12.inf [iCFLD_w10_DS]. 4 file(s) used by "
                         "driver:\r\n"
                         "        C:\\Windows\\System32\\DriverStore\\FileRepository\\iigd_dch.inf_amd64_"
                         "1c2b2b6e5e0a1c3d\\igdkmd64.sys\r\n"
                         "        C:\\Windows\\System32\\DriverStore\\FileRepository\\iigd_dch.inf_amd64_"
                         "1c2b2b6e5e0a1c3d\\igdumdim64.dll\r\n"
                         "        C:\\Windows\\System32\\DriverStore\\FileRepository\\iigd_dch.inf_amd64_"
                         "1c2b2b6e5e0a1c3d\\igd10iumd64.dll\r\n"
                         "        C:\\Windows\\system32\\igdinfo64.dll\r\n"
                         "1 matching device(s) found.\r\n");
    EXPECT_EQ(files.err, "");
    EXPECT_EQ(files.exitCode, 0u);

    const Output nodes = RunTool(L"drivernodes *USB\\VID_2F1D^&PID_A396*");
    const std::vector<std::string> lines = Lines(nodes.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], Gbk("    Name: 智音 AI 降噪音频设备"));
    EXPECT_NE(nodes.out.find("\xd6\xc7\xd2\xf4"), std::string::npos); // 智音 in code page 936
    EXPECT_NE(nodes.out.find(Gbk("    Manufacturer name is 托尔维克\r\n")), std::string::npos);
    EXPECT_NE(nodes.out.find("    Driver date is 2020/7/15\r\n"), std::string::npos) << "the zh-CN short date";
    EXPECT_EQ(lines.back(), "2 matching device(s) found.");
}

TEST_F(DevconCmd, UninstallOfAPackageInUseChangesTheStateAndIsJournalled) {
    const std::string journalBefore = ReadAll(SimFolder() + L"\\journal.txt");

    const Output refused = RunTool(L"-f dp_delete oem12.inf");
    EXPECT_EQ(refused.out, "Deleting the specified driver package from the machine failed\r\n"
                           "because it is in use by a device.\r\n");
    EXPECT_EQ(refused.err, tool_ + ": command dp_delete failed\r\n");
    EXPECT_EQ(refused.exitCode, 2u);

    const Output removed = RunTool(L"remove *PCI\\VEN_8086*");
    EXPECT_NE(removed.out.find("PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00\\3&11583659&0&10: Removed\r\n"),
              std::string::npos);
    EXPECT_EQ(removed.out.find("failed"), std::string::npos);
    EXPECT_EQ(removed.exitCode, 1u); // the wireless card waits for a reboot

    EXPECT_EQ(RunTool(L"-f dp_delete oem12.inf").out, "Driver package 'oem12.inf' deleted.\r\n");
    EXPECT_EQ(RunTool(L"rescan").out, "Scanning for new hardware.\r\nScanning completed.\r\n");
    EXPECT_NE(RunTool(L"driverfiles *PCI\\VEN_8086^&DEV_3E9B*").out.find("oem8.inf [iCFLD_w10_DS]"), std::string::npos);

    const std::string pc = ReadAll(SimFolder() + L"\\pc.txt");
    EXPECT_NE(pc.find("package oem12.inf\n    deleted yes\n"), std::string::npos);
    EXPECT_NE(pc.find("    driver        oem8.inf\n"), std::string::npos);

    // One line per call: the working directory (the program folder), a tab and the command line as given,
    // with cmd's carets gone.
    const std::string journal = ReadAll(SimFolder() + L"\\journal.txt");
    ASSERT_EQ(journal.compare(0, journalBefore.size(), journalBefore), 0);
    const std::vector<std::string> calls = Lines(journal.substr(journalBefore.size()));
    ASSERT_EQ(calls.size(), 5u);
    const std::string prefix = Narrow(CP_UTF8, ProgramFolder()) + "\t";
    for (const std::string& call : calls)
        EXPECT_EQ(call.compare(0, prefix.size(), prefix), 0) << call;
    EXPECT_NE(calls[0].find(tool_), std::string::npos);
    EXPECT_NE(calls[0].find("-f dp_delete oem12.inf"), std::string::npos);
    EXPECT_NE(calls[4].find("driverfiles *PCI\\VEN_8086&DEV_3E9B*"), std::string::npos);
}

TEST_F(DevconCmd, BrokenDescriptionFailsClearlyAndIsStillJournalled) {
    const std::string journalBefore = ReadAll(SimFolder() + L"\\journal.txt");
    WriteAll(SimFolder() + L"\\pc.txt", "# broken\npackage oem1.inf\n    colour blue\n");
    const Output output = RunTool(L"driverfiles *");
    EXPECT_EQ(output.out, "");
    EXPECT_NE(output.err.find("pc.txt(3): unknown package property 'colour'\r\n"), std::string::npos) << output.err;
    EXPECT_NE(output.err.find("\r\n" + tool_ + ": command driverfiles failed\r\n"), std::string::npos) << output.err;
    EXPECT_EQ(output.exitCode, 2u);
    EXPECT_EQ(ReadAll(SimFolder() + L"\\pc.txt"), "# broken\npackage oem1.inf\n    colour blue\n");

    DeleteFileW((SimFolder() + L"\\pc.txt").c_str());
    const Output missing = RunTool(L"rescan");
    EXPECT_NE(missing.err.find("pc.txt: the simulated PC's description cannot be read."), std::string::npos)
        << missing.err;
    EXPECT_EQ(missing.exitCode, 2u);
    EXPECT_EQ(Lines(ReadAll(SimFolder() + L"\\journal.txt").substr(journalBefore.size())).size(), 2u);
}
