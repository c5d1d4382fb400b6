// The command-line front end: detection and uninstall from a console, through the very engine the window
// program uses (catalogue, scan thread, uninstall thread, their messages and the log).
#include "cli/BackupCommands.h"
#include "cli/BackupJson.h"
#include "cli/CliArguments.h"
#include "cli/InventoryJson.h"
#include "console/WindowsConsole.h"
#include "console/WorkerThreads.h"
#include "discovery/Catalogue.h"
#include "discovery/ScanThread.h"
#include "logging/LogSave.h"
#include "text/CodePage.h"
#include "uninstall/UninstallProcedure.h"
#include "uninstall/UninstallThread.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <vector>

namespace {

// Chinese text reads correctly both ways: wide output on a console, UTF-8 when redirected.
class ConsoleOut {
public:
    explicit ConsoleOut(DWORD which) : handle_(GetStdHandle(which)) {
        DWORD mode = 0;
        console_ = GetConsoleMode(handle_, &mode) != FALSE;
    }
    void Write(std::wstring_view text) const {
        DWORD written = 0;
        if (console_) {
            WriteConsoleW(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        } else {
            const std::string utf8 = ToUtf8(text);
            WriteFile(handle_, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
        }
    }
    void WriteUtf8(const std::string& utf8) const { Write(FromUtf8(utf8)); }

private:
    HANDLE handle_;
    bool console_ = false;
};

// A message-only window that the workers report to; the main thread pumps messages until the result.
class WorkerWaiter {
public:
    WorkerWaiter() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &WorkerWaiter::WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TolvikCliNotify";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, this);
    }
    ~WorkerWaiter() {
        if (window_ != nullptr)
            DestroyWindow(window_);
    }
    WorkerWaiter(const WorkerWaiter&) = delete;
    WorkerWaiter& operator=(const WorkerWaiter&) = delete;

    HWND Handle() const { return window_; }

    // Pumps messages until `message` arrives; returns its wParam (1 success, 2 failure).
    uintptr_t WaitFor(uint32_t message) {
        awaited_ = message;
        result_ = 0;
        MSG msg;
        while (result_ == 0 && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return result_;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<WorkerWaiter*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == self->awaited_) {
            self->result_ = wParam;
            // A sent message is handled inside GetMessageW, which then waits on for a posted one: wake it.
            PostMessageW(window, WM_NULL, 0, 0);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    uint32_t awaited_ = 0;
    uintptr_t result_ = 0;
};

// Records the commands an uninstall would run. The first deletion is answered as refused because the package is
// in use, and everything after it as done, so that the whole road of a package in use is shown.
class DryRunRunner : public ICommandRunner {
public:
    explicit DryRunRunner(std::string infName) : infName_(std::move(infName)) {}

    CommandOutcome RunConsoleCommand(const ConsoleCommand& command, std::string& output) override {
        const std::wstring& text = command.text;
        if (text.find(L" dp_delete ") != std::wstring::npos)
            output += deletions_++ == 0 ? "Deleting the specified driver package from the machine failed\r\n"
                                          "because it is in use by a device.\r\n"
                                        : "Driver package '" + infName_ + "' deleted.\r\n";
        else if (text.find(L" remove ") != std::wstring::npos)
            output += "1 device(s) were removed.\r\n";
        commands.push_back(command);
        return CommandOutcome::Finished;
    }
    std::vector<ConsoleCommand> commands;

private:
    std::string infName_;
    int deletions_ = 0;
};

struct NullReport : IWorkerReport {
    void Send(uint32_t, uintptr_t) override {}
    void LogFailure(std::wstring_view) override {}
};

bool EqualsIgnoringCase(const std::string& gbk, const std::wstring& wanted) {
    const std::wstring name = WidenGbk(gbk);
    return name.size() == wanted.size() &&
           std::equal(name.begin(), name.end(), wanted.begin(),
                      [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}

std::wstring PackageLines(const DeviceRecord& device) {
    std::wstring text;
    for (const DriverPackageRecord& package : device.packages) {
        text += L"      " + WidenGbk(package.infName) + L"  " + WidenGbk(package.version) +
                (package.isCurrent ? L"-当前" : L"") + L"  " + WidenGbk(package.provider) + L"  " +
                WidenGbk(package.date) + L"\n";
    }
    if (device.packages.empty())
        text += L"      （没有驱动包）\n";
    return text;
}

std::wstring DeviceLines(const DeviceRecord& device) {
    return L"  " + WidenGbk(device.deviceKey) + L"  " + WidenGbk(device.description) + L"  [" +
           WidenGbk(device.searchPattern) + L"]\n" + PackageLines(device);
}

std::wstring InventoryTable(const DriverInventory& inventory) {
    std::wstring text;
    for (int category = kFirstCategory; category <= kLastCategory; ++category) {
        const CategoryMap& map = inventory.Category(category);
        if (map.Empty())
            continue;
        text += std::wstring(CategoryDisplayName(category)) + L"\n";
        for (const auto& [key, device] : map)
            text += DeviceLines(*device);
    }
    return text;
}

struct Chosen {
    int category = 0;
    DeviceRecord* device = nullptr;
};

Chosen FindDevice(const DriverInventory& inventory, const CliArguments& arguments) {
    const std::string key = NarrowGbk(arguments.device);
    for (int category = kFirstCategory; category <= kLastCategory; ++category) {
        if (arguments.category != 0 && category != arguments.category)
            continue;
        if (DeviceRecord* device = inventory.Category(category).Find(key))
            return {category, device};
    }
    return {};
}

class Cli {
public:
    int Run(const CliArguments& arguments) {
        if (!arguments.error.empty()) {
            err_.Write(arguments.error + L"\n\n" + kCliUsage);
            return 2;
        }
        if (arguments.command == CliArguments::Command::Help) {
            out_.Write(kCliUsage);
            return 0;
        }
        if (arguments.command == CliArguments::Command::Restore || arguments.command == CliArguments::Command::Backups)
            return RunBackupCommand(arguments, Writer());
        if (arguments.timeLimitSeconds != 0)
            inventory_.scanner.commandLimits = {arguments.timeLimitSeconds * 1000, arguments.timeLimitSeconds * 1000};
        if (!LoadCatalogue(inventory_)) {
            LogToolFailure(u8"读取解析硬件ID信息XML失败");
            err_.Write(L"工具初始化失败\n");
            return 2;
        }
        if (waiter_.Handle() == nullptr || !inventory_.SetNotifyWindow(waiter_.Handle()) || !StartScan(inventory_)) {
            err_.Write(L"工具内部错，请与软件提供商联系！\n");
            return 2;
        }
        const bool found = waiter_.WaitFor(kMsgScanResult) == kResultSuccess;
        if (arguments.command == CliArguments::Command::Detect)
            return Detect(arguments, found);
        return Uninstall(arguments);
    }

private:
    int Detect(const CliArguments& arguments, bool found) {
        if (arguments.json)
            out_.WriteUtf8(WithSchema("detect", InventoryToJson(inventory_)) + "\n");
        else if (found)
            out_.Write(InventoryTable(inventory_));
        if (!found)
            err_.Write(L"获取设备驱动失败\n");
        return found ? 0 : 1;
    }

    int Uninstall(const CliArguments& arguments) {
        if (arguments.old)
            return RunOldCleanup(arguments, inventory_, Writer());
        const Chosen chosen = FindDevice(inventory_, arguments);
        if (chosen.device == nullptr) {
            err_.Write(L"没有找到设备 " + arguments.device + L"（先用 detect 查看设备）\n");
            return 2;
        }
        const auto package =
            std::find_if(chosen.device->packages.begin(), chosen.device->packages.end(),
                         [&](const DriverPackageRecord& p) { return EqualsIgnoringCase(p.infName, arguments.inf); });
        if (package == chosen.device->packages.end()) {
            err_.Write(L"设备 " + arguments.device + L" 没有驱动包 " + arguments.inf + L"\n");
            return 2;
        }
        // The window lists only third-party packages.
        if (const auto refusal = RefuseInfName(WidenGbk(package->infName));
            refusal || package->infName.find("oem") == std::string::npos) {
            err_.Write(refusal.value_or(L"只能卸载第三方驱动包: " + arguments.inf) + L"\n");
            return 2;
        }
        // The page's list row holds a copy of the package; the uninstall refers to that copy.
        const DriverPackageRecord request = *package;

        if (arguments.dryRun)
            return DryRun(chosen, request);

        BackupOutcome backup;
        if (!StartUninstall(inventory_, chosen.category, chosen.device->searchPattern, &request,
                            {arguments.requireBackup, BackupRootOf(arguments), &backup})) {
            err_.Write(L"卸载驱动失败！\n");
            return 1;
        }
        const bool succeeded = waiter_.WaitFor(kMsgUninstallResult) == kResultSuccess;
        const std::wstring verdict = succeeded ? L"卸载成功" : L"卸载失败";
        if (arguments.json)
            out_.WriteUtf8(WithSchema("uninstall", "{\"result\":" + JsonString(ToUtf8(verdict)) +
                                                       ",\"success\":" + (succeeded ? "true" : "false") +
                                                       ",\"device\":" + DeviceToJson(*chosen.device) +
                                                       ",\"backup\":" + BackupOutcomeToJson(backup) + "}") +
                           "\n");
        else
            out_.Write(verdict + L"\n" + DeviceLines(*chosen.device) +
                       (backup.made ? L"备份: " + backup.folder : L"没有备份: " + backup.reason) + L"\n" +
                       (backup.notice.empty() ? L"" : L"注意: " + backup.notice + L"\n"));
        return succeeded ? 0 : 1;
    }

    int DryRun(const Chosen& chosen, const DriverPackageRecord& request) {
        DryRunRunner runner(request.infName);
        DriverInventory scratch; // the plan is made on a copy, so nothing of the real inventory changes
        auto device = std::make_unique<DeviceRecord>(*chosen.device);
        scratch.Category(chosen.category).Insert(std::move(device));
        scratch.requestCategory = chosen.category;
        scratch.requestSearchPattern = chosen.device->searchPattern;
        scratch.requestPackage = &request;
        NullReport report;
        UninstallProcedure(scratch, DeviceConsole(runner, GetProgramFolder(), Is64BitWindows()), report);

        std::wstring text =
            L"将要执行的命令（第 2 到 4 条只在驱动包因正被使用而删除失败时执行，其后为刷新驱动列表的查询）:\n";
        for (const ConsoleCommand& command : runner.commands)
            text += DeviceConsole::Describe(command) + L"\n";
        out_.Write(text);
        return 0;
    }

    CliWriter Writer() {
        return {[this](std::wstring_view text) { out_.Write(text); },
                [this](std::wstring_view text) { err_.Write(text); }};
    }

    ConsoleOut out_{STD_OUTPUT_HANDLE};
    ConsoleOut err_{STD_ERROR_HANDLE};
    DriverInventory inventory_;
    WorkerWaiter waiter_;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::vector<std::wstring> arguments(argv + 1, argv + argc);
    Cli cli;
    const int exitCode = cli.Run(ParseCliArguments(arguments));
    // The worker reports its result and then winds down; the process ends only after it has.
    WaitForWorkerThreads();
    return exitCode;
}
