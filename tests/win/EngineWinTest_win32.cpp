// The engine on Windows: the real console runner, the Device Console stand-in on the demo PC, the package
// query's command lines as the stand-in's journal records them, and the workers' window messages. Runs from
// a program folder with blanks, "&", "^", "%" and Chinese in its name, holding devcon.exe or devconx64.exe.
#include "console/WindowsConsole.h"
#include "console/WorkerThreads.h"
#include "discovery/Catalogue.h"
#include "discovery/PackageQuery.h"
#include "discovery/ScanThread.h"
#include "text/CodePage.h"
#include "uninstall/UninstallThread.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    GetEnvironmentVariableW(name, value, MAX_PATH);
    return value;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The journal's lines since the test began, as "<folder>\t<command line>" in UTF-8.
class Journal {
public:
    Journal() : path_(Environment(L"TOLVIK_SIM_DIR") + L"\\journal.txt"), start_(ReadFileBytes(path_).size()) {}
    std::vector<std::wstring> Lines() const {
        std::vector<std::wstring> lines;
        std::istringstream text(ReadFileBytes(path_).substr(start_));
        for (std::string line; std::getline(text, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(FromUtf8(line));
        }
        return lines;
    }

private:
    std::wstring path_;
    size_t start_;
};

const wchar_t* Tool() {
    return Is64BitWindows() ? L"devconx64" : L"devcon";
}

// Collects the workers' messages in order on the test's own thread.
class NotifyWindow {
public:
    NotifyWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &NotifyWindow::Proc;
        windowClass.lpszClassName = L"EngineTestNotify";
        RegisterClassW(&windowClass);
        window_ =
            CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~NotifyWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }

    // Pumps until `last` arrives (or 60 s pass) and returns every worker message seen.
    std::vector<std::pair<UINT, WPARAM>> WaitFor(UINT last) {
        // A scan of the demo PC takes seconds, but minutes on a machine loaded by a parallel test run.
        const DWORD deadline = GetTickCount() + 300000;
        while ((messages_.empty() || messages_.back().first != last) && GetTickCount() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
        }
        return messages_;
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message >= 0x5F5 && message <= 0x5F8) {
            self->messages_.emplace_back(message, wParam);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_ = nullptr;
    std::vector<std::pair<UINT, WPARAM>> messages_;
};

using Messages = std::vector<std::pair<UINT, WPARAM>>;

// Reports like the scan and uninstall threads do, then takes a while to end.
struct ReportingWorker {
    HWND notify;
    std::atomic<bool> ended{false};

    static DWORD WINAPI Run(LPVOID parameter) {
        auto& worker = *static_cast<ReportingWorker*>(parameter);
        SendMessageW(worker.notify, 0x5F8, 1, 0); // waits for the notify window's thread to answer
        Sleep(200);
        worker.ended = true;
        return 0;
    }
};

} // namespace

ConsoleCommand InProgramFolder(std::wstring text, uint32_t timeoutMs = 60000, bool endOnTimeout = true) {
    return {GetProgramFolder(), std::move(text), timeoutMs, endOnTimeout};
}

TEST(ConsoleRunner, ReportsTheBytesACommandPrintsWhateverItsExitCode) {
    ConsoleRunner runner;
    std::string output;
    EXPECT_EQ(runner.RunConsoleCommand(InProgramFolder(L"echo 一&& exit 3"), output), CommandOutcome::Finished);
    EXPECT_EQ(output, "\xd2\xbb\r\n"); // console bytes in code page 936

    output.clear();
    EXPECT_EQ(runner.RunConsoleCommand(InProgramFolder(L"rem nothing to say"), output), CommandOutcome::Finished);
    EXPECT_EQ(output, "");
}

// What this program prints when started with --emit: several pipe chunks' worth, with zero bytes inside.
std::string EmittedBytes() {
    std::string content;
    for (int line = 0; line < 3000; ++line)
        content += "line " + std::to_string(line) + " of the long output\r\n";
    content.insert(1500, std::string("\0zero\0", 6));
    return content;
}

TEST(ConsoleRunner, LongOutputArrivesWholeAndZeroBytesLoseNothing) {
    ConsoleRunner runner;
    std::string output = "kept:";
    EXPECT_EQ(runner.RunConsoleCommand(InProgramFolder(L".\\win_engine.exe --emit"), output), CommandOutcome::Finished);
    EXPECT_TRUE(output == "kept:" + EmittedBytes()) << output.size() << " bytes";
}

TEST(ConsoleRunner, RefusesACommandTheInterpreterLineWouldCutOrAFolderItCannotEnter) {
    ConsoleRunner runner;
    std::string output;
    const std::wstring fits = L"echo " + std::wstring(kMaxCommandTextLength - 5, L'x');
    EXPECT_EQ(runner.RunConsoleCommand(InProgramFolder(fits), output), CommandOutcome::Finished);
    EXPECT_EQ(output.size(), kMaxCommandTextLength - 5 + 2);
    output.clear();
    EXPECT_EQ(runner.RunConsoleCommand(InProgramFolder(fits + L"y"), output), CommandOutcome::NotStarted);
    EXPECT_EQ(output, "");

    // Nothing runs from another folder when the program folder cannot be entered.
    Journal journal;
    const DeviceConsole console(runner, GetProgramFolder() + L"\\gone", Is64BitWindows());
    EXPECT_EQ(console.Rescan(output), CommandOutcome::NotStarted);
    EXPECT_EQ(output, "");
    EXPECT_TRUE(journal.Lines().empty());
}

// A command that never ends by itself: started with --hang, this program raises the event kHanging and waits
// for kRelease (or ten minutes).
const wchar_t kHanging[] = L"TolvikEngineTestHanging";
const wchar_t kRelease[] = L"TolvikEngineTestRelease";

bool HangingProgramRuns() {
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, kHanging);
    if (event != nullptr)
        CloseHandle(event);
    return event != nullptr;
}

// Waits up to a minute for the hanging program to run, or to be gone: under load, programs start and end slowly.
bool HangingProgramBecomes(bool running) {
    for (int attempt = 0; attempt < 600 && HangingProgramRuns() != running; ++attempt)
        Sleep(100);
    return HangingProgramRuns() == running;
}

// Whether the hanging program keeps running for a few seconds: nothing ended it.
bool StillHanging() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (!HangingProgramRuns())
            return false;
        Sleep(100);
    }
    return true;
}

TEST(ConsoleRunner, ALateQueryIsEndedWithWhatItStartedALateChangeIsOnlyGivenUpOn) {
    ConsoleRunner runner;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, kRelease);
    ResetEvent(release);
    ASSERT_TRUE(HangingProgramBecomes(false));

    // An ended query's output until then is kept. Under load the interpreter and the program may take longer than
    // a short limit to start, and a query ended before it printed anything shows nothing: the limit then doubles.
    std::string output;
    for (uint32_t limit = 1500; output.empty() && limit <= 48000; limit *= 2)
        EXPECT_EQ(runner.RunConsoleCommand(InProgramFolder(L".\\win_engine.exe --hang", limit, true), output),
                  CommandOutcome::TimedOut);
    EXPECT_EQ(output, "hanging\r\n");
    EXPECT_TRUE(HangingProgramBecomes(false)) << "ended with the interpreter";

    // A change left running keeps its output to itself, and runs on.
    output.clear();
    EXPECT_EQ(runner.RunConsoleCommand(InProgramFolder(L".\\win_engine.exe --hang", 1500, false), output),
              CommandOutcome::TimedOut);
    EXPECT_EQ(output, "");
    EXPECT_TRUE(HangingProgramBecomes(true));
    EXPECT_TRUE(StillHanging());
    SetEvent(release);
    CloseHandle(release);
}

TEST(ConsoleRunner, AChangeLeftRunningHoldsNoHandleOfTheProgramsButItsOwnPipe) {
    // An inheritable pipe of this program, as a command line's standard output handed down by its caller.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE callerRead = nullptr;
    HANDLE callerWrite = nullptr;
    ASSERT_TRUE(CreatePipe(&callerRead, &callerWrite, &inheritable, 0));
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, kRelease);
    ResetEvent(release);
    ASSERT_TRUE(HangingProgramBecomes(false));

    ConsoleRunner runner;
    std::string output;
    EXPECT_EQ(runner.RunConsoleCommand(InProgramFolder(L".\\win_engine.exe --hang", 1500, false), output),
              CommandOutcome::TimedOut);
    ASSERT_TRUE(HangingProgramBecomes(true));
    // With this program's end of the pipe closed, the caller sees the pipe end while the change still runs.
    CloseHandle(callerWrite);
    DWORD available = 0;
    EXPECT_FALSE(PeekNamedPipe(callerRead, nullptr, 0, nullptr, &available, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    EXPECT_TRUE(HangingProgramRuns());

    SetEvent(release);
    CloseHandle(release);
    CloseHandle(callerRead);
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
    const std::wstring folder = GetProgramFolder();
    EXPECT_NE(folder.find(L"程序 A&B^C%D 测试"), std::wstring::npos);
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_NE(GetFileAttributesW((folder + L"\\" + Tool() + L".exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(PackageQuery, AsksTheStandInFromTheProgramFolderAndMarksTheInstalledPackage) {
    Journal journal;
    ConsoleRunner runner;
    const DeviceConsole console(runner, GetProgramFolder(), Is64BitWindows());
    std::vector<DriverPackageRecord> packages;
    EXPECT_TRUE(QueryDriverPackages(console, L"PCI\\VEN_8086^&DEV_3E9B", packages));

    const std::wstring folder = GetProgramFolder();
    EXPECT_EQ(journal.Lines(), (std::vector<std::wstring>{
                                   folder + L"\t.\\" + Tool() + L".exe driverfiles *PCI\\VEN_8086&DEV_3E9B*",
                                   folder + L"\t.\\" + Tool() + L".exe drivernodes *PCI\\VEN_8086&DEV_3E9B*",
                               }));
    ASSERT_EQ(packages.size(), 4u);
    EXPECT_EQ(packages[0], (DriverPackageRecord{"oem12.inf", "Intel Corporation", "2020/3/24", "26.20.100.7985", 1}));
    EXPECT_EQ(packages[1].infName, "oem8.inf");
    EXPECT_EQ(packages[1].isCurrent, 0);
    EXPECT_EQ(packages[3].infName, "display.inf");
}

TEST(PackageQuery, TwoInstancesOfOneHardwareIdGiveTheFirstDevicesPackagesOnce) {
    ConsoleRunner runner;
    const DeviceConsole console(runner, GetProgramFolder(), Is64BitWindows());
    std::vector<DriverPackageRecord> packages;
    EXPECT_TRUE(QueryDriverPackages(console, L"USB\\VID_2F1D^&PID_A396", packages));
    ASSERT_EQ(packages.size(), 1u);
    EXPECT_EQ(packages[0].infName, "oem72.inf");
    EXPECT_EQ(packages[0].isCurrent, 1);
}

TEST(PackageQuery, ACameraBehindItsCompositeParentGetsItsOwnPackages) {
    // The stand-in lists the composite parent (inbox usbccgp.inf only) before the camera interface; both
    // match the camera's hardware ID prefix.
    ConsoleRunner runner;
    const DeviceConsole console(runner, GetProgramFolder(), Is64BitWindows());
    std::string files;
    ASSERT_EQ(console.ListDriverFiles(L"USB\\VID_5986^&PID_2113", files), CommandOutcome::Finished);
    ASSERT_LT(files.find("usbccgp.inf"), files.find("oem40.inf")) << files;

    // How the query went is told whatever its result: an answer cut short and asked again shows in the log.
    std::vector<DriverPackageRecord> packages;
    PackageQueryNotes notes;
    EXPECT_EQ(QueryDevicePackages(console, L"USB\\VID_5986^&PID_2113", packages, notes), PackageQueryResult::Listed)
        << ToUtf8(notes.failedQuery);
    for (const std::wstring& query : notes.repeatedQueries)
        std::printf("asked again: %s\n", ToUtf8(query).c_str());
    ASSERT_EQ(packages.size(), 2u);
    EXPECT_EQ(packages[0].infName, "oem40.inf");
    EXPECT_EQ(packages[0].isCurrent, 1);
    EXPECT_EQ(packages[1].infName, "usbvideo.inf");
}

TEST(PackageQuery, AToolThatEndsItsMessagesAtChineseCharactersStillGivesEachFieldItsOwnValue) {
    // The demo PC with a Chinese provider for the smart-audio package (its name and manufacturer are Chinese
    // already), and a stand-in that writes as the tool does in the "C" locale, in a simulated PC of its own.
    const std::wstring demo = Environment(L"TOLVIK_SIM_DIR");
    const std::wstring own = demo + L"\\c-locale";
    CreateDirectoryW(own.c_str(), nullptr);
    std::string description = "c-locale yes\r\n" + ReadFileBytes(demo + L"\\pc.txt");
    const std::string provider = "    provider        Tolvik";
    ASSERT_NE(description.find(provider), std::string::npos);
    description.replace(description.find(provider), provider.size(), "    provider        托尔维克");
    std::ofstream(std::filesystem::path(own + L"\\pc.txt"), std::ios::binary) << description;

    ASSERT_TRUE(SetEnvironmentVariableW(L"TOLVIK_SIM_DIR", own.c_str()));
    ConsoleRunner runner;
    const DeviceConsole console(runner, GetProgramFolder(), Is64BitWindows());
    std::string nodes;
    EXPECT_EQ(console.ListDriverNodes(L"USB\\VID_2F1D^&PID_A396", nodes), CommandOutcome::Finished);
    std::vector<DriverPackageRecord> packages;
    EXPECT_TRUE(QueryDriverPackages(console, L"USB\\VID_2F1D^&PID_A396", packages));
    SetEnvironmentVariableW(L"TOLVIK_SIM_DIR", demo.c_str());

    ASSERT_NE(nodes.find("    Name: Driver node #0:"), std::string::npos) << nodes;
    ASSERT_EQ(packages.size(), 1u) << nodes;
    // The zh-CN short date of the prefixes' locale.
    EXPECT_EQ(packages[0], (DriverPackageRecord{"oem72.inf", "", "2020/7/15", "1.0.3.12", 1})) << nodes;
}

TEST(PackageQuery, AMissingToolYieldsNoRecords) {
    ConsoleRunner runner;
    const DeviceConsole console(runner, Environment(L"TOLVIK_SIM_DIR"), Is64BitWindows()); // no tool there
    std::vector<DriverPackageRecord> packages;
    EXPECT_FALSE(QueryDriverPackages(console, L"PCI\\VEN_8086^&DEV_3E9B", packages));
    EXPECT_TRUE(packages.empty());
}

TEST(Workers, ScanAndUninstallReportThroughWindowMessagesInOrder) {
    DriverInventory inventory;
    ASSERT_TRUE(LoadCatalogue(inventory));
    EXPECT_EQ(inventory.scanner.is64Bit, Is64BitWindows());
    NotifyWindow notify;
    ASSERT_TRUE(inventory.SetNotifyWindow(notify.Handle()));
    // The inventory and the window must outlive the threads that use them, however the test ends.
    struct WorkersJoined {
        ~WorkersJoined() { WaitForWorkerThreads(); }
    } joined;
    ASSERT_TRUE(StartScan(inventory));
    EXPECT_EQ(notify.WaitFor(0x5F7), (Messages{{0x5F5, 0}, {0x5F7, 1}}));
    DeviceRecord* nvidia = inventory.Category(1).Find("10DE_1C8D");
    ASSERT_NE(nvidia, nullptr);

    Journal journal;
    const DriverPackageRecord chosen = nvidia->packages.at(0);
    // The backup goes to a folder of this test's own, beside the simulated PC, not to the shared prefix.
    UninstallBackupOptions backup;
    const std::wstring simulatedPc = Environment(L"TOLVIK_SIM_DIR");
    backup.root = simulatedPc.substr(0, simulatedPc.rfind(L'\\')) + L"\\backups";
    ASSERT_TRUE(StartUninstall(inventory, 1, nvidia->searchPattern, &chosen, backup));
    EXPECT_EQ(notify.WaitFor(0x5F8), (Messages{{0x5F5, 0}, {0x5F7, 1}, {0x5F5, 0}, {0x5F8, 1}}));
    const std::vector<std::wstring> lines = journal.Lines();
    ASSERT_EQ(lines.size(), 3u); // deleted at once, then the device's packages are queried anew
    EXPECT_EQ(lines[0], GetProgramFolder() + L"\t.\\" + Tool() + L".exe -f dp_delete oem21.inf");
    EXPECT_TRUE(nvidia->packages.empty()) << "the tool lists the card with no package left";
    EXPECT_NE(GetFileAttributesW(backup.root.c_str()), INVALID_FILE_ATTRIBUTES) << "the package was saved there";
}

TEST(Workers, WaitingForThemAnswersWhatTheySendAndEndsOnlyWhenTheyHaveEnded) {
    NotifyWindow notify;
    ReportingWorker workers[2] = {{notify.Handle()}, {notify.Handle()}};
    for (ReportingWorker& worker : workers)
        ASSERT_TRUE(StartWorkerThread(&ReportingWorker::Run, &worker));
    WaitForWorkerThreads();
    EXPECT_TRUE(workers[0].ended);
    EXPECT_TRUE(workers[1].ended);
    EXPECT_EQ(notify.WaitFor(0x5F8), (Messages{{0x5F8, 1}, {0x5F8, 1}}));
    WaitForWorkerThreads(); // nothing left to wait for
}

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--hang") {
        HANDLE hanging = CreateEventW(nullptr, TRUE, FALSE, kHanging);
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, kRelease);
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "hanging\r\n", 9, &written, nullptr);
        WaitForSingleObject(release, 10 * 60 * 1000);
        CloseHandle(hanging);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--emit") {
        const std::string bytes = EmittedBytes();
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
