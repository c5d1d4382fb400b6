// The uninstall procedure. Success and failure are read only from what the tool prints.
#include "uninstall/UninstallProcedure.h"

#include "discovery/PackageQuery.h"
#include "text/CodePage.h"

namespace {

bool Failed(const std::string& output) { return output.find("failed") != std::string::npos; }

// Every device of the request's category with the very same search pattern gets its packages anew.
void RefreshRequestedDevices(DriverInventory& inventory, const DeviceConsole& console) {
    if (inventory.requestCategory < kFirstCategory || inventory.requestCategory > kLastCategory)
        return;
    const std::wstring pattern = WidenGbk(inventory.requestSearchPattern);
    for (const auto& [key, device] : inventory.Category(inventory.requestCategory)) {
        if (device->searchPattern != inventory.requestSearchPattern)
            continue;
        device->packages.clear();
        QueryDriverPackages(console, pattern, device->packages);
    }
}

bool Fail(IWorkerReport& report, std::wstring_view entry) {
    report.LogFailure(entry);
    report.Send(kMsgWorkFinished, 0);
    report.Send(kMsgUninstallResult, kResultFailure);
    return false;
}

} // namespace

bool UninstallProcedure(DriverInventory& inventory, const DeviceConsole& console, IWorkerReport& report,
                        const UninstallBackup& backup) {
    if (inventory.requestPackage == nullptr)
        return Fail(report, L"工具内部错14");

    // One backup per request, before anything is deleted; the in-use road's second deletion needs none.
    if (backup.backup != nullptr) {
        const BackupOutcome saved = backup.backup->Backup(BackupRequestFor(inventory));
        if (backup.outcome != nullptr)
            *backup.outcome = saved;
        if (!saved.made && backup.required)
            return Fail(report, L"没有备份驱动包，按要求不卸载");
    }

    const std::wstring deletePackage = L"-f dp_delete " + EscapeForInterpreter(WidenGbk(inventory.requestPackage->infName));
    std::string output;
    if (!console.Run(deletePackage, output))
        return Fail(report, L"执行卸载驱动命令失败");

    if (Failed(output)) {
        // Still in use: take away only the devices of the chosen hardware ID (the whole pattern, so that other
        // devices of the same maker stay), then delete again and let Windows find the hardware anew.
        output.clear();
        if (!console.Run(L"remove *" + WidenGbk(inventory.requestSearchPattern) + L"*", output))
            return Fail(report, L"执行卸载设备命令失败");
        if (Failed(output))
            return Fail(report, L"卸载设备失败");

        output.clear();
        if (!console.Run(deletePackage, output))
            return Fail(report, L"执行卸载驱动命令失败");
        if (Failed(output))
            return Fail(report, L"卸载失败");

        output.clear();
        if (!console.Run(L"rescan", output))
            return Fail(report, L"执行扫描设备命令失败");
    }

    RefreshRequestedDevices(inventory, console);
    report.Send(kMsgWorkFinished, 0);
    report.Send(kMsgUninstallResult, kResultSuccess);
    return true;
}

BackupRequest BackupRequestFor(const DriverInventory& inventory) {
    BackupRequest request;
    request.category = inventory.requestCategory;
    request.searchPattern = inventory.requestSearchPattern;
    if (inventory.requestPackage != nullptr)
        request.package = *inventory.requestPackage;
    if (inventory.requestCategory >= kFirstCategory && inventory.requestCategory <= kLastCategory)
        for (const auto& [key, device] : inventory.Category(inventory.requestCategory))
            if (device->searchPattern == inventory.requestSearchPattern) {
                request.deviceKey = device->deviceKey;
                request.description = device->description;
                break;
            }
    return request;
}
