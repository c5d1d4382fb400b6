// The uninstall procedure. Success and failure are read only from what the tool prints, and only its own texts
// count: output it would never print (nothing, the interpreter's complaint, garbage) proves nothing happened.
#include "uninstall/UninstallProcedure.h"

#include "discovery/PackageQuery.h"
#include "text/CodePage.h"
#include "text/TextCase.h"

#include <algorithm>

namespace {

constexpr std::string_view kRemoveSummaries[] = {"device(s) were removed.", "device(s) are ready to be removed.",
                                                 "No devices were removed."};

bool Contains(std::string_view output, std::string_view text) {
    return output.find(text) != std::string_view::npos;
}

enum class Removal { Ran, Failed, Unknown };

// "Removed on reboot" for a device, or the summary saying the devices go only when the PC restarts.
bool WaitsForRestart(std::string_view output) {
    return Contains(output, "Removed on reboot") || Contains(output, "device(s) are ready to be removed.");
}

Removal ReadRemoval(std::string_view output) {
    if (Contains(output, "failed"))
        return Removal::Failed;
    for (const std::string_view summary : kRemoveSummaries)
        if (Contains(output, summary))
            return Removal::Ran;
    return Removal::Unknown;
}

// The log entries of a command that ran late or did not run at all.
struct UnfinishedEntries {
    std::wstring_view timedOut;
    std::wstring_view notRun;
};
constexpr UnfinishedEntries kDeleteEntries{L"卸载驱动命令超时", L"执行卸载驱动命令失败"};
constexpr UnfinishedEntries kRemoveEntries{L"卸载设备命令超时", L"执行卸载设备命令失败"};
constexpr UnfinishedEntries kRescanEntries{L"扫描设备命令超时", L"执行扫描设备命令失败"};

// The entry for a command that did not run to its end; empty when it did.
std::wstring_view Unfinished(CommandOutcome outcome, const UnfinishedEntries& entries) {
    if (outcome == CommandOutcome::Finished)
        return {};
    return outcome == CommandOutcome::TimedOut ? entries.timedOut : entries.notRun;
}

class Uninstall {
public:
    Uninstall(DriverInventory& inventory, const DeviceConsole& console, IWorkerReport& report,
              const UninstallBackup& backup)
        : inventory_(inventory), console_(console), report_(report), backup_(backup) {}

    bool Run() {
        inventory_.requestNeedsRestart = false;
        if (inventory_.requestPackage == nullptr)
            return Fail(L"工具内部错14", Package::Stays);
        infName_ = inventory_.requestPackage->infName;
        const std::wstring infName = WidenGbk(infName_);
        const std::wstring searchPattern = WidenGbk(inventory_.requestSearchPattern);
        if (!InfNameArgument(infName) || !DevicePatternArgument(searchPattern))
            return Fail(L"驱动包或设备的名称含有不安全的字符，未执行卸载", Package::Stays);

        // One backup per request, before anything is deleted; the in-use road's second deletion needs none.
        if (backup_.backup != nullptr) {
            saved_ = backup_.backup->Backup(BackupRequestFor(inventory_));
            if (!saved_.made && backup_.required)
                return Fail(L"没有备份驱动包，按要求不卸载", Package::Stays);
        }

        std::string output;
        CommandOutcome deletion = console_.DeletePackage(infName, output);
        if (const std::wstring_view entry = Unfinished(deletion, kDeleteEntries); !entry.empty())
            return Fail(entry, Fate(deletion));
        switch (ReadPackageDeletion(output, infName_)) {
        case PackageDeletion::Deleted:
            return Succeed();
        case PackageDeletion::Refused:
            // Not in use: removing devices would not help, so none is touched.
            return Fail(L"卸载失败", Package::Stays);
        case PackageDeletion::Unknown:
            return Refresh(false) ? Succeed() : Fail(kDeleteEntries.notRun, Package::Unknown);
        case PackageDeletion::InUse:
            break;
        }

        // In use: take away only the devices of the chosen hardware ID (the whole pattern, so that other devices
        // of the same maker stay), then delete again and let Windows find the hardware anew. From here on devices
        // may be gone, so every failure rescans first.
        // Until the second deletion runs, the package surely stays whatever happens to the devices.
        output.clear();
        const CommandOutcome removal = console_.RemoveDevices(searchPattern, output);
        if (removal == CommandOutcome::TimedOut)
            return RescanThenFail(kRemoveEntries.timedOut, Package::Stays);
        if (removal != CommandOutcome::Finished)
            return Fail(kRemoveEntries.notRun, Package::Stays); // nothing ran, so nothing was removed
        inventory_.requestNeedsRestart = WaitsForRestart(output);
        switch (ReadRemoval(output)) {
        case Removal::Ran:
            break;
        case Removal::Failed:
            return RescanThenFail(L"卸载设备失败", Package::Stays);
        case Removal::Unknown:
            return RescanThenFail(kRemoveEntries.notRun, Package::Stays);
        }

        output.clear();
        deletion = console_.DeletePackage(infName, output);
        if (const std::wstring_view entry = Unfinished(deletion, kDeleteEntries); !entry.empty())
            return RescanThenFail(entry, Fate(deletion));
        const PackageDeletion second = ReadPackageDeletion(output, infName_);
        if (second == PackageDeletion::InUse || second == PackageDeletion::Refused)
            return RescanThenFail(L"卸载失败", Package::Stays);

        output.clear();
        if (const std::wstring_view entry = Unfinished(console_.Rescan(output), kRescanEntries); !entry.empty())
            return Fail(entry, Package::Unknown);
        if (second == PackageDeletion::Unknown && !Refresh(false))
            return Fail(kDeleteEntries.notRun, Package::Unknown);
        return Succeed();
    }

private:
    // Every device of the request's category with the very same search pattern gets its packages anew. True when
    // the tool answered for at least one of them and none lists the package any more. A device the tool did not
    // answer for keeps its list, unless `clearUnanswered`: after a deletion its old list would be stale.
    bool Refresh(bool clearUnanswered) {
        if (inventory_.requestCategory < kFirstCategory || inventory_.requestCategory > kLastCategory)
            return false;
        refreshed_ = true;
        const std::wstring pattern = WidenGbk(inventory_.requestSearchPattern);
        bool answered = false;
        bool listed = false;
        for (const auto& [key, device] : inventory_.Category(inventory_.requestCategory)) {
            if (device->searchPattern != inventory_.requestSearchPattern)
                continue;
            std::vector<DriverPackageRecord> packages;
            if (QueryDriverPackages(console_, pattern, packages)) {
                answered = true;
                listed = listed || std::any_of(packages.begin(), packages.end(), [this](const auto& package) {
                             return EqualsIgnoringCase(package.infName, infName_);
                         });
            } else if (!clearUnanswered) {
                continue;
            }
            device->packages = std::move(packages);
        }
        return answered && !listed;
    }

    // Whether the package is still in the store after a failure: its backup goes only when it surely is.
    enum class Package { Stays, Unknown };

    // A command that never started deleted nothing; one that ran late may have.
    static Package Fate(CommandOutcome deletion) {
        return deletion == CommandOutcome::TimedOut ? Package::Unknown : Package::Stays;
    }

    bool Succeed() {
        if (!refreshed_)
            Refresh(true);
        // A tool that says more than it did must not make us say it: the published INF must be gone.
        if (backup_.disk != nullptr) {
            const std::wstring published = backup_.disk->WindowsFolder() + L"\\INF\\" + WidenGbk(infName_);
            if (backup_.disk->Exists(published))
                return Fail(L"设备控制台工具报告驱动包已删除，但 " + published + L" 仍在，删除没有生效",
                            Package::Unknown);
        }
        Report(kResultSuccess);
        return true;
    }

    bool Fail(std::wstring_view entry, Package package) {
        report_.LogFailure(entry);
        if (package == Package::Stays && backup_.backup != nullptr)
            backup_.backup->Discard(saved_);
        Report(kResultFailure);
        return false;
    }

    void Report(uintptr_t result) {
        if (backup_.outcome != nullptr)
            *backup_.outcome = saved_;
        report_.Send(kMsgWorkFinished, 0);
        report_.Send(kMsgUninstallResult, result);
    }

    // Devices may have been removed: have Windows find them again before the failure is reported.
    bool RescanThenFail(std::wstring_view entry, Package package) {
        std::string output;
        if (const std::wstring_view unfinished = Unfinished(console_.Rescan(output), kRescanEntries);
            !unfinished.empty())
            report_.LogFailure(unfinished);
        return Fail(entry, package);
    }

    DriverInventory& inventory_;
    const DeviceConsole& console_;
    IWorkerReport& report_;
    const UninstallBackup& backup_;
    std::string infName_;
    BackupOutcome saved_;
    bool refreshed_ = false;
};

} // namespace

bool UninstallProcedure(DriverInventory& inventory, const DeviceConsole& console, IWorkerReport& report,
                        const UninstallBackup& backup) {
    return Uninstall(inventory, console, report, backup).Run();
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
