// backups, restore and uninstall --old from the command line, on this machine's files and Device Console.
#include "cli/BackupCommands.h"

#include "backup/BackupCatalog.h"
#include "backup/WindowsBackup.h"
#include "cli/BackupJson.h"
#include "console/WindowsConsole.h"
#include "logging/LogSave.h"
#include "text/CodePage.h"
#include "text/TextCase.h"

#include <windows.h>

namespace {

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
    std::wstring full = length > 0 && length < MAX_PATH * 2 ? std::wstring(buffer, length) : path;
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/'))
        full.pop_back();
    return full;
}

CliReply ListBackupsCommand(const CliArguments& arguments) {
    WindowsBackupFiles files;
    const std::wstring root = BackupRootOf(arguments);
    CliReply reply;
    if (arguments.prune) {
        const PruneResult pruned =
            PruneBackups(files, root, arguments.keep >= 0 ? std::optional<size_t>(arguments.keep) : std::nullopt,
                         arguments.maxSize >= 0 ? std::optional<uint64_t>(arguments.maxSize) : std::nullopt);
        reply.code = pruned.error.empty() ? "pruned" : "prune-failed";
        reply.changed = !pruned.removed.empty();
        reply.message = L"删除了 " + std::to_wstring(pruned.removed.size()) + L" 个备份";
        reply.error = pruned.error;
        reply.text = reply.message + L"\n";
        nlohmann::json list = nlohmann::json::array();
        for (const std::wstring& folder : pruned.removed) {
            list.push_back(ToUtf8(folder));
            reply.text += L"  " + folder + L"\n";
        }
        reply.members = {{"root", ToUtf8(root)}, {"removed", list}};
        return reply;
    }
    const std::vector<BackupEntry> entries = ListBackups(files, root);
    const auto published = PublishedInfHashes(files);
    nlohmann::json list = nlohmann::json::array();
    reply.text = L"备份位置 " + root + L"\n";
    uint64_t total = 0;
    for (const BackupEntry& entry : entries) {
        const std::wstring inStore = FindInStore(published, entry.manifest);
        total += entry.size;
        list.push_back(BackupEntryToJson(entry, !inStore.empty()));
        reply.text += L"  " + FromUtf8(entry.manifest.time) + L"  " + FromUtf8(entry.manifest.deviceKey) + L"  " +
                      FromUtf8(entry.manifest.inf) + L"  " + FromUtf8(entry.manifest.version) + L"  " +
                      SizeText(entry.size) + L"  " +
                      (inStore.empty() ? L"不在驱动库中" : L"在驱动库中（" + inStore + L"）") +
                      (entry.distrust.empty() ? L"" : L"  不可信，不会恢复：" + entry.distrust) + L"\n    " +
                      entry.folder + L"\n";
    }
    reply.code = "listed";
    reply.message = L"共 " + std::to_wstring(entries.size()) + L" 个备份，驱动包共 " + SizeText(total);
    reply.text += reply.message + L"\n";
    reply.members = {{"root", ToUtf8(root)}, {"total", total}, {"backups", list}};
    return reply;
}

CliReply RestoreCommand(const CliArguments& arguments) {
    WindowsBackupFiles files;
    std::wstring folder;
    if (arguments.restoreFrom == L"latest") {
        const auto latest = LatestRestorable(files, BackupRootOf(arguments));
        if (!latest)
            return Failure("no-backup", L"没有可以恢复的备份（可信、完整、驱动包已不在驱动库中）: " +
                                            BackupRootOf(arguments) + L"，没有做任何改动");
        folder = latest->folder;
    } else {
        folder = FullPath(arguments.restoreFrom);
    }
    const auto text = files.ReadFile(folder + L"\\" + FromUtf8(kManifestName));
    const auto manifest = text ? ParseManifest(*text) : std::nullopt;
    if (!manifest)
        return Failure("no-backup", L"不是完整的驱动备份文件夹（没有可读的 manifest.txt）: " + folder);
    // A backup others could have written would run their files as administrator.
    if (const std::wstring distrust = BackupDistrust(files, folder); !distrust.empty())
        return Failure("untrusted-backup", L"不恢复 " + folder + L"：" + distrust);
    ConsoleRunner runner;
    const uint32_t limitMs = arguments.timeLimitSeconds * 1000;
    const DeviceConsole console(runner, GetProgramFolder(), Is64BitWindows(),
                                limitMs != 0 ? CommandLimits{limitMs, limitMs} : CommandLimits{});
    const RestoreResult result = RestoreBackup(files, console, folder, *manifest);
    CLogSave::GetInstance().Write(
        NarrowGbk(L"恢复 " + folder + L": " + result.message + (result.warning.empty() ? L"" : L"；" + result.warning)),
        kToolLogFile, true);
    CliReply reply = result.success ? CliReply{} : Failure("restore-failed", result.message, result.message);
    if (result.success) {
        reply.code = "restored";
        reply.message = result.message;
        reply.text = result.message + L"\n" + (result.warning.empty() ? L"" : L"注意：" + result.warning + L"\n");
    }
    reply.changed = result.changed;
    reply.members = RestoreResultToJson(folder, result);
    return reply;
}

std::wstring StepText(const CleanupStep& step) {
    std::wstring text = L"  " + WidenGbk(step.package.infName) + L"  " + WidenGbk(step.package.version) + L"  " +
                        WidenGbk(step.package.date) + L"  ";
    switch (step.result) {
    case CleanupStep::Result::Planned:
        return text + L"将备份后删除\n";
    case CleanupStep::Result::Deleted:
        return text + L"已删除，释放 " + SizeText(step.freed) +
               (step.backupFolder.empty() ? L"（没有备份）" : L"，备份在 " + step.backupFolder) + L"\n";
    case CleanupStep::Result::Refused:
        return text + L"正被设备使用，保留\n";
    case CleanupStep::Result::NotBackedUp:
        return text + L"没能备份，未删除: " + step.message + L"\n";
    default:
        return text + L"删除失败: " + step.message + L"\n";
    }
}

} // namespace

std::wstring BackupRootOf(const CliArguments& arguments) {
    return arguments.backupDir.empty() ? DefaultBackupRoot() : FullPath(arguments.backupDir);
}

CliReply RunBackupCommand(const CliArguments& arguments) {
    return arguments.command == CliArguments::Command::Restore ? RestoreCommand(arguments)
                                                               : ListBackupsCommand(arguments);
}

CliReply RunOldCleanup(const CliArguments& arguments, DriverInventory& inventory) {
    std::vector<DeviceRecord*> devices;
    const std::string key = NarrowGbk(arguments.device);
    for (int category = kFirstCategory; category <= kLastCategory; ++category) {
        if (arguments.category != 0 && category != arguments.category)
            continue;
        for (const auto& [deviceKey, device] : inventory.Category(category))
            if (arguments.allDevices || deviceKey == key)
                devices.push_back(device.get());
    }
    if (!arguments.allDevices && devices.empty())
        return Failure("unknown-device", L"没有找到设备 " + arguments.device + L"（先用 detect 查看设备）");
    if (!arguments.allDevices)
        devices.resize(1);
    ConsoleRunner runner;
    const DeviceConsole console(runner, GetProgramFolder(), Is64BitWindows(), inventory.scanner.commandLimits);
    const std::unique_ptr<IPackageBackup> backup = MakeWindowsBackup(BackupRootOf(arguments));
    WindowsBackupFiles disk;
    CleanupRun run{backup.get(), &disk, arguments.dryRun, arguments.requireBackup, {}};
    // A package some device runs is not old, whichever device lists it as well.
    for (int category = kFirstCategory; category <= kLastCategory; ++category)
        for (const auto& [deviceKey, device] : inventory.Category(category))
            for (const DriverPackageRecord& package : device->packages)
                if (package.isCurrent)
                    run.settled.insert(ToLowerAscii(package.infName));
    nlohmann::json list = nlohmann::json::array();
    CliReply reply;
    uint64_t freed = 0;
    size_t deleted = 0;
    size_t failed = 0;
    for (DeviceRecord* device : devices) {
        const std::vector<CleanupStep> steps = CleanUpOldPackages(console, run, *device);
        list.push_back(CleanupToJson(*device, steps));
        reply.text += L"设备 " + WidenGbk(device->deviceKey) + L"  " + WidenGbk(device->description) + L"\n";
        if (steps.empty())
            reply.text += L"  没有旧驱动包\n";
        for (const CleanupStep& step : steps) {
            reply.text += StepText(step);
            freed += step.freed;
            deleted += step.result == CleanupStep::Result::Deleted;
            failed += step.result == CleanupStep::Result::Failed || step.result == CleanupStep::Result::NotBackedUp;
        }
    }
    reply.changed = deleted > 0;
    if (failed > 0) {
        // Some deleted and some not is a partial failure; none deleted at all is a plain one.
        reply.code = deleted > 0 ? "partial-failure" : "uninstall-failed";
        reply.message = std::to_wstring(failed) + L" 个旧驱动包没有删除";
        reply.error = reply.message;
    } else {
        reply.code = arguments.dryRun ? "planned" : "cleaned";
        reply.message = arguments.dryRun ? L"只是预览，没有删除任何驱动包" : L"共释放 " + SizeText(freed);
    }
    reply.text += reply.message + L"\n";
    reply.members = {{"dryRun", arguments.dryRun}, {"devices", list}, {"freed", freed}};
    return reply;
}
