// Success is read only from the tool's confirmation, "Driver package 'oemN.inf' deleted."
#include "uninstall/OldPackageCleanup.h"

#include "discovery/PackageQuery.h"
#include "text/CodePage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tuple>

namespace {

// "3/24/2020" → 20200324; 0 when the date cannot be read, so undated packages count as the oldest.
long DateValue(const std::string& date) {
    int month = 0, day = 0, year = 0;
    if (std::sscanf(date.c_str(), "%d/%d/%d", &month, &day, &year) != 3)
        return 0;
    return year * 10000L + month * 100L + day;
}

std::vector<long> VersionParts(const std::string& version) {
    std::vector<long> parts;
    size_t start = 0;
    while (start <= version.size()) {
        const size_t dot = version.find('.', start);
        parts.push_back(std::atol(version.substr(start, dot - start).c_str()));
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    return parts;
}

} // namespace

std::vector<DriverPackageRecord> OldPackagesOf(const DeviceRecord& device) {
    std::vector<DriverPackageRecord> old;
    for (const DriverPackageRecord& package : device.packages)
        if (!package.isCurrent && package.infName.find("oem") != std::string::npos)
            old.push_back(package);
    std::stable_sort(old.begin(), old.end(), [](const DriverPackageRecord& a, const DriverPackageRecord& b) {
        return std::make_tuple(DateValue(a.date), VersionParts(a.version)) <
               std::make_tuple(DateValue(b.date), VersionParts(b.version));
    });
    return old;
}

std::vector<CleanupStep> CleanUpOldPackages(const DeviceConsole& console, IPackageBackup* backup, DeviceRecord& device,
                                            bool dryRun, bool requireBackup) {
    std::vector<CleanupStep> steps;
    for (const DriverPackageRecord& package : OldPackagesOf(device)) {
        CleanupStep step;
        step.package = package;
        if (dryRun) {
            steps.push_back(step);
            continue;
        }
        BackupOutcome saved;
        if (backup != nullptr) {
            saved =
                backup->Backup({device.category, device.deviceKey, device.searchPattern, device.description, package});
            if (!saved.made && requireBackup) {
                step.result = CleanupStep::Result::NotBackedUp;
                step.message = saved.reason;
                steps.push_back(step);
                continue;
            }
        }
        std::string output;
        const CommandOutcome ran = console.DeletePackageUnforced(WidenGbk(package.infName), output);
        // The backup goes only when the package surely stays: the tool did not run, or refused in its own words.
        // A command that ran late or printed something else may have deleted it, and then the backup is the way back.
        bool packageStays = ran == CommandOutcome::NotStarted || ran == CommandOutcome::Refused;
        if (ran != CommandOutcome::Finished) {
            step.result = CleanupStep::Result::Failed;
            step.message = ran == CommandOutcome::Refused    ? L"驱动包名称含有不安全的字符"
                           : ran == CommandOutcome::TimedOut ? L"卸载驱动命令超时"
                                                             : L"无法运行设备控制台工具";
        } else {
            switch (ReadPackageDeletion(output, package.infName)) {
            case PackageDeletion::Deleted:
                step.result = CleanupStep::Result::Deleted;
                step.freed = saved.size;
                step.backupFolder = saved.folder;
                break;
            case PackageDeletion::InUse:
                step.result = CleanupStep::Result::Refused;
                packageStays = true;
                break;
            case PackageDeletion::Refused:
                step.result = CleanupStep::Result::Failed;
                packageStays = true;
                break;
            case PackageDeletion::Unknown:
                step.result = CleanupStep::Result::Failed;
                break;
            }
            if (step.result != CleanupStep::Result::Deleted)
                step.message = FirstOutputLine(output);
        }
        if (packageStays && backup != nullptr)
            backup->Discard(saved);
        steps.push_back(step);
    }
    if (!dryRun && !steps.empty()) {
        device.packages.clear();
        QueryDriverPackages(console, WidenGbk(device.searchPattern), device.packages);
    }
    return steps;
}
