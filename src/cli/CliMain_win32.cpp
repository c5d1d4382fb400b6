// The command-line front end: detection and uninstall from a console, through the very engine the window
// program uses (catalogue, scan thread, uninstall thread, their messages and the log). Every command ends in one
// reply: text for a person, or with --json one JSON object on stdout, whatever the outcome.
#include "base/UniqueHandle.h"
#include "cli/BackupCommands.h"
#include "cli/BackupJson.h"
#include "cli/CliArguments.h"
#include "cli/CliReply.h"
#include "cli/InventoryJson.h"
#include "console/WindowsConsole.h"
#include "console/WorkerThreads.h"
#include "discovery/Catalogue.h"
#include "discovery/ScanThread.h"
#include "feedback/FeedbackConstants.h"
#include "logging/CallbackGuard.h"
#include "logging/LogSave.h"
#include "text/CodePage.h"
#include "text/TextCase.h"
#include "uninstall/UninstallProcedure.h"
#include "uninstall/UninstallThread.h"

#include <windows.h>

#include <algorithm>
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
    // UTF-8 as it is when redirected, so that a script reads the bytes the JSON was written in.
    void WriteUtf8(const std::string& utf8) const {
        if (console_) {
            Write(FromUtf8(utf8));
        } else {
            DWORD written = 0;
            WriteFile(handle_, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
        }
    }

private:
    HANDLE handle_;
    bool console_ = false;
};

// The file of --output, created before anything runs so that a path that cannot be written stops the command
// while nothing has changed yet.
class OutputFile {
public:
    [[nodiscard]] bool Open(const std::wstring& path) {
        handle_.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        return IsOpen();
    }

    [[nodiscard]] bool IsOpen() const { return static_cast<bool>(handle_); }
    [[nodiscard]] bool Write(const std::string& utf8) const {
        DWORD written = 0;
        return WriteFile(handle_.Get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) &&
               written == utf8.size();
    }

private:
    UniqueHandle handle_;
};

// An administrator whose rights are in force: a member of the Administrators group, and not holding the limited
// half of a split token (with UAC an administrator's programs run limited until elevated; Windows then keeps the
// group for denial only, other systems may not).
bool IsAdministrator() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return false;
    BOOL member = FALSE;
    const bool checked = CheckTokenMembership(nullptr, administrators, &member) != FALSE;
    FreeSid(administrators);
    if (!checked || member == FALSE)
        return false;
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out()))
        return false;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    const bool known = GetTokenInformation(token.Get(), TokenElevationType, &type, sizeof type, &size) != FALSE;
    return known && type != TokenElevationTypeLimited;
}

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
        LRESULT result = 0;
        if (!CallGuarded("TolvikCliNotify", [&] { result = OnMessage(window, message, wParam, lParam); }))
            return 0;
        return result;
    }

    static LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
// in use, and everything after it as done, so that the whole road of a package in use is shown. A query is
// answered as the tool answers for no device: an answer without its summary line would be asked again.
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
        else if (text.find(L" driverfiles ") != std::wstring::npos || text.find(L" drivernodes ") != std::wstring::npos)
            output += "No matching devices found.\r\n";
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

// Whether Windows still keeps a published INF of that name: a package already deleted has none.
bool PublishedInfExists(const std::wstring& infName) {
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return true;
    const std::wstring path = std::wstring(windows, length) + L"\\INF\\" + infName;
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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
    explicit Cli(CliArguments arguments) : arguments_(std::move(arguments)) {}

    int Run() {
        const CliReply reply = Execute();
        Print(reply);
        return ExitCodeOf(reply.code);
    }

private:
    CliReply Execute() {
        if (!arguments_.error.empty())
            return Failure("bad-arguments", arguments_.error);
        if (!arguments_.outputFile.empty() && !output_.Open(arguments_.outputFile))
            return Failure("bad-arguments", L"无法写入 --output 的文件: " + arguments_.outputFile);
        switch (arguments_.command) {
        case CliArguments::Command::Help:
            return Done("help", arguments_.helpText);
        case CliArguments::Command::Version:
            return Done("version", std::wstring(kToolVersion));
        default:
            break;
        }
        // Scripts run this program as they are; a change without the rights to make it would fail half-way.
        if (arguments_.Changes() && !IsAdministrator())
            return Failure("not-administrator", L"需要管理员权限：请以管理员身份运行（detect 和 backups 不需要）");
        if (arguments_.command == CliArguments::Command::Uninstall && !arguments_.old)
            if (const auto refusal = RefuseInfName(arguments_.inf))
                return Failure(refusal->code, refusal->message);
        if (arguments_.command == CliArguments::Command::Restore ||
            arguments_.command == CliArguments::Command::Backups)
            return RunBackupCommand(arguments_);

        if (arguments_.timeLimitSeconds != 0)
            inventory_.scanner.commandLimits = {arguments_.timeLimitSeconds * 1000, arguments_.timeLimitSeconds * 1000};
        if (!LoadCatalogue(inventory_)) {
            LogToolFailure(u8"读取解析硬件ID信息XML失败");
            return Failure("internal-error", L"工具初始化失败", L"读取解析硬件ID信息XML失败");
        }
        if (waiter_.Handle() == nullptr || !inventory_.SetNotifyWindow(waiter_.Handle()) || !StartScan(inventory_))
            return Failure("internal-error", L"工具内部错，请与软件提供商联系！");
        const bool found = waiter_.WaitFor(kMsgScanResult) == kResultSuccess;
        switch (inventory_.scanner.outcome) {
        case ScanOutcome::ConsoleToolFailed:
            return Failure("console-tool-failed", L"获取设备驱动失败",
                           L"设备控制台工具缺失、无法运行或没有回答: " + inventory_.scanner.failedQuery);
        case ScanOutcome::TimedOut:
            return Failure("console-tool-timed-out", L"获取设备驱动失败",
                           L"设备控制台工具查询超时: " + inventory_.scanner.failedQuery);
        case ScanOutcome::Completed:
            break;
        }
        if (arguments_.command == CliArguments::Command::Detect)
            return Detect(found);
        return Uninstall();
    }

    static CliReply Done(std::string code, std::wstring text) {
        CliReply reply;
        reply.code = std::move(code);
        reply.members = {{"text", ToUtf8(text)}};
        reply.text = std::move(text) + L"\n";
        return reply;
    }

    CliReply Detect(bool found) {
        if (!found)
            return Failure("no-devices", L"获取设备驱动失败", L"没有检测到九类设备中的任何一个");
        CliReply reply;
        reply.code = "detected";
        reply.message = L"检测完成";
        reply.text = InventoryTable(inventory_);
        reply.members = InventoryToJson(inventory_);
        return reply;
    }

    CliReply Uninstall() {
        if (arguments_.old)
            return RunOldCleanup(arguments_, inventory_);
        const Chosen chosen = FindDevice(inventory_, arguments_);
        if (chosen.device == nullptr)
            return Failure("unknown-device", L"没有找到设备 " + arguments_.device + L"（先用 detect 查看设备）");
        const auto package = std::find_if(
            chosen.device->packages.begin(), chosen.device->packages.end(),
            [&](const DriverPackageRecord& p) { return EqualsIgnoringCase(WidenGbk(p.infName), arguments_.inf); });
        if (package == chosen.device->packages.end()) {
            // Run twice, an uninstall finds its package gone: nothing to do, which is no failure.
            if (!PublishedInfExists(arguments_.inf)) {
                CliReply reply;
                reply.code = "not-present";
                reply.message = L"驱动包 " + arguments_.inf + L" 已不在驱动库中，无需卸载";
                reply.text = reply.message + L"\n";
                reply.members = {{"device", DeviceToJson(*chosen.device)}};
                return reply;
            }
            return Failure("unknown-package", L"设备 " + arguments_.device + L" 没有驱动包 " + arguments_.inf);
        }
        // The window lists only third-party packages.
        if (const auto refusal = RefuseInfName(WidenGbk(package->infName)))
            return Failure(refusal->code, refusal->message);
        // The page's list row holds a copy of the package; the uninstall refers to that copy.
        const DriverPackageRecord request = *package;

        if (arguments_.dryRun)
            return DryRun(chosen, request);

        BackupOutcome backup;
        if (!StartUninstall(inventory_, chosen.category, chosen.device->searchPattern, &request,
                            {arguments_.requireBackup, BackupRootOf(arguments_), &backup}))
            return Failure("internal-error", L"卸载驱动失败！");
        const bool succeeded = waiter_.WaitFor(kMsgUninstallResult) == kResultSuccess;
        const std::wstring verdict = succeeded ? L"卸载成功" : L"卸载失败";
        CliReply reply;
        if (succeeded) {
            reply.code = "deleted";
            reply.changed = true;
            reply.message = verdict;
        } else if (inventory_.requestNeedsRestart) {
            reply.code = "reboot-required";
            reply.changed = true;
            reply.message = L"卸载失败：设备要在电脑重启后才被移除；重启后再卸载一次";
        } else {
            reply =
                Failure(!backup.made && arguments_.requireBackup ? "backup-failed" : "uninstall-failed", verdict,
                        backup.made || !arguments_.requireBackup ? L"设备控制台工具没有删除驱动包（详见日志）"
                                                                 : L"没有备份驱动包，按要求不卸载: " + backup.reason);
        }
        reply.text = verdict + L"\n" + DeviceLines(*chosen.device) +
                     (backup.made ? L"备份: " + backup.folder : L"没有备份: " + backup.reason) + L"\n" +
                     (backup.notice.empty() ? L"" : L"注意: " + backup.notice + L"\n");
        reply.members = {{"result", ToUtf8(verdict)},
                         {"success", succeeded},
                         {"device", DeviceToJson(*chosen.device)},
                         {"backup", BackupOutcomeToJson(backup)}};
        return reply;
    }

    // The commands as a user types them at a command prompt in the program folder: that prompt reads "^&" as
    // "&", just as the interpreter the tool runs them through does, so pasted they run the very same commands.
    CliReply DryRun(const Chosen& chosen, const DriverPackageRecord& request) {
        DryRunRunner runner(request.infName);
        DriverInventory scratch; // the plan is made on a copy, so nothing of the real inventory changes
        auto device = std::make_unique<DeviceRecord>(*chosen.device);
        scratch.Category(chosen.category).Insert(std::move(device));
        scratch.requestCategory = chosen.category;
        scratch.requestSearchPattern = chosen.device->searchPattern;
        scratch.requestPackage = &request;
        NullReport report;
        const std::wstring folder = GetProgramFolder();
        UninstallProcedure(scratch, DeviceConsole(runner, folder, Is64BitWindows()), report);

        CliReply reply;
        reply.code = "planned";
        reply.message = L"在程序文件夹 " + folder +
                        L" 的命令提示符中执行以下命令（第 2 到 4 条只在驱动包因正被使用而删除失败时执行，"
                        L"其后为刷新驱动列表的查询）";
        nlohmann::json commands = nlohmann::json::array();
        for (const ConsoleCommand& command : runner.commands) {
            const std::wstring line = DeviceConsole::Describe(command);
            reply.text += line + L"\n";
            commands.push_back(ToUtf8(line));
        }
        reply.members = {{"dryRun", true}, {"folder", ToUtf8(folder)}, {"commands", commands}};
        return reply;
    }

    void Print(const CliReply& reply) {
        const std::string json =
            ReplyToJson(arguments_.commandName, reply).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
            "\n";
        if (output_.IsOpen() && !output_.Write(json))
            err_.Write(L"无法写入 --output 的文件: " + arguments_.outputFile + L"\n");
        if (arguments_.json) {
            out_.WriteUtf8(json);
            return;
        }
        const bool ok = IsOk(reply.code);
        if (!reply.text.empty())
            out_.Write(reply.text);
        // Failures, and what goes with a plan, are said on stderr so that stdout holds only the plan's commands.
        if (!ok || reply.code == "planned") {
            std::wstring said = reply.message;
            if (!reply.error.empty() && reply.error != reply.message)
                said += L"\n" + reply.error;
            err_.Write(said + L"\n");
        }
        if (reply.code == "bad-arguments")
            err_.Write(L"用法见 TolvikDriverUninstallCli --help\n");
    }

    CliArguments arguments_;
    ConsoleOut out_{STD_OUTPUT_HANDLE};
    ConsoleOut err_{STD_ERROR_HANDLE};
    OutputFile output_;
    DriverInventory inventory_;
    WorkerWaiter waiter_;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int exitCode = Cli(ParseCliArguments(std::vector<std::wstring>(argv + 1, argv + argc))).Run();
    // The worker reports its result and then winds down; the process ends only after it has.
    WaitForWorkerThreads();
    return exitCode;
}
