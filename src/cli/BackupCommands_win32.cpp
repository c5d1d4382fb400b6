// backups, restore and uninstall --old from the command line, on this machine's files and Device Console.
#include "cli/BackupCommands.h"

#include "backup/BackupCatalog.h"
#include "backup/WindowsBackup.h"
#include "cli/BackupJson.h"
#include "cli/InventoryJson.h"
#include "console/WindowsConsole.h"
#include "logging/LogSave.h"
#include "text/CodePage.h"

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

int ListBackupsCommand(const CliArguments& arguments, const CliWriter& writer) {
    WindowsBackupFiles files;
    const std::wstring root = BackupRootOf(arguments);
    if (arguments.prune) {
        const PruneResult pruned =
            PruneBackups(files, root, arguments.keep >= 0 ? std::optional<size_t>(arguments.keep) : std::nullopt,
                         arguments.maxSize >= 0 ? std::optional<uint64_t>(arguments.maxSize) : std::nullopt);
        if (arguments.json) {
            std::string list = "[";
            for (size_t i = 0; i < pruned.removed.size(); ++i)
                list += (i ? "," : "") + JsonString(ToUtf8(pruned.removed[i]));
            writer.out(FromUtf8(WithSchema("backups", "{\"root\":" + JsonString(ToUtf8(root)) + ",\"removed\":" + list +
                                                          "],\"error\":" + JsonString(ToUtf8(pruned.error)) + "}") +
                                "\n"));
        } else {
            std::wstring text = L"删除了 " + std::to_wstring(pruned.removed.size()) + L" 个备份\n";
            for (const std::wstring& folder : pruned.removed)
                text += L"  " + folder + L"\n";
            writer.out(text);
        }
        if (!pruned.error.empty()) {
            writer.err(pruned.error + L"\n");
            return 1;
        }
        return 0;
    }
    const std::vector<BackupEntry> entries = ListBackups(files, root);
    const auto published = PublishedInfHashes(files);
    std::string json = "[";
    std::wstring text = L"备份位置 " + root + L"\n";
    uint64_t total = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const BackupEntry& entry = entries[i];
        const std::wstring inStore = FindInStore(published, entry.manifest);
        total += entry.size;
        json += (i ? "," : "") + BackupEntryToJson(entry, !inStore.empty());
        text += L"  " + FromUtf8(entry.manifest.time) + L"  " + FromUtf8(entry.manifest.deviceKey) + L"  " +
                FromUtf8(entry.manifest.inf) + L"  " + FromUtf8(entry.manifest.version) + L"  " + SizeText(entry.size) +
                L"  " + (inStore.empty() ? L"不在驱动库中" : L"在驱动库中（" + inStore + L"）") +
                (entry.distrust.empty() ? L"" : L"  不可信，不会恢复：" + entry.distrust) + L"\n    " + entry.folder +
                L"\n";
    }
    if (arguments.json)
        writer.out(FromUtf8(WithSchema("backups", "{\"root\":" + JsonString(ToUtf8(root)) + ",\"total\":" +
                                                      std::to_string(total) + ",\"backups\":" + json + "]}") +
                            "\n"));
    else
        writer.out(text + L"共 " + std::to_wstring(entries.size()) + L" 个备份，驱动包共 " + SizeText(total) + L"\n");
    return 0;
}

int RestoreCommand(const CliArguments& arguments, const CliWriter& writer) {
    WindowsBackupFiles files;
    std::wstring folder;
    if (arguments.restoreFrom == L"latest") {
        const auto latest = LatestRestorable(files, BackupRootOf(arguments));
        if (!latest) {
            writer.err(L"没有可以恢复的备份（可信、完整、驱动包已不在驱动库中）: " + BackupRootOf(arguments) +
                       L"，没有做任何改动\n");
            return 2;
        }
        folder = latest->folder;
    } else {
        folder = FullPath(arguments.restoreFrom);
    }
    const auto text = files.ReadFile(folder + L"\\" + FromUtf8(kManifestName));
    const auto manifest = text ? ParseManifest(*text) : std::nullopt;
    if (!manifest) {
        writer.err(L"不是完整的驱动备份文件夹（没有可读的 manifest.txt）: " + folder + L"\n");
        return 2;
    }
    // A backup others could have written would run their files as administrator.
    if (const std::wstring distrust = BackupDistrust(files, folder); !distrust.empty()) {
        writer.err(L"不恢复 " + folder + L"：" + distrust + L"\n");
        return 1;
    }
    ConsoleRunner runner;
    const uint32_t limitMs = arguments.timeLimitSeconds * 1000;
    const DeviceConsole console(runner, GetProgramFolder(), Is64BitWindows(),
                                limitMs != 0 ? CommandLimits{limitMs, limitMs} : CommandLimits{});
    const RestoreResult result = RestoreBackup(files, console, folder, *manifest);
    CLogSave::GetInstance().Write(
        NarrowGbk(L"恢复 " + folder + L": " + result.message + (result.warning.empty() ? L"" : L"；" + result.warning)),
        kToolLogFile, true);
    if (arguments.json)
        writer.out(FromUtf8(WithSchema("restore", RestoreResultToJson(folder, result)) + "\n"));
    else
        (result.success ? writer.out : writer.err)(result.message + L"\n" +
                                                   (result.warning.empty() ? L"" : L"注意：" + result.warning + L"\n"));
    return result.success ? 0 : 1;
}

std::string Lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c | 0x20);
    return text;
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

int RunBackupCommand(const CliArguments& arguments, const CliWriter& writer) {
    return arguments.command == CliArguments::Command::Restore ? RestoreCommand(arguments, writer)
                                                               : ListBackupsCommand(arguments, writer);
}

int RunOldCleanup(const CliArguments& arguments, DriverInventory& inventory, const CliWriter& writer) {
    std::vector<DeviceRecord*> devices;
    const std::string key = NarrowGbk(arguments.device);
    for (int category = kFirstCategory; category <= kLastCategory; ++category) {
        if (arguments.category != 0 && category != arguments.category)
            continue;
        for (const auto& [deviceKey, device] : inventory.Category(category))
            if (arguments.allDevices || deviceKey == key)
                devices.push_back(device.get());
    }
    if (!arguments.allDevices && devices.empty()) {
        writer.err(L"没有找到设备 " + arguments.device + L"（先用 detect 查看设备）\n");
        return 2;
    }
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
                    run.settled.insert(Lowered(package.infName));
    std::string json;
    std::wstring text;
    uint64_t freed = 0;
    bool failed = false;
    for (DeviceRecord* device : devices) {
        const std::vector<CleanupStep> steps = CleanUpOldPackages(console, run, *device);
        json += (json.empty() ? "" : ",") + CleanupToJson(*device, steps);
        text += L"设备 " + WidenGbk(device->deviceKey) + L"  " + WidenGbk(device->description) + L"\n";
        if (steps.empty())
            text += L"  没有旧驱动包\n";
        for (const CleanupStep& step : steps) {
            text += StepText(step);
            freed += step.freed;
            failed =
                failed || step.result == CleanupStep::Result::Failed || step.result == CleanupStep::Result::NotBackedUp;
        }
    }
    if (arguments.json)
        writer.out(FromUtf8(WithSchema("uninstall", "{\"dryRun\":" + std::string(arguments.dryRun ? "true" : "false") +
                                                        ",\"devices\":[" + json +
                                                        "],\"freed\":" + std::to_string(freed) + "}") +
                            "\n"));
    else
        writer.out(text +
                   (arguments.dryRun ? L"（只是预览，没有删除任何驱动包）\n" : L"共释放 " + SizeText(freed) + L"\n"));
    return failed ? 1 : 0;
}
