// Success is read from the tool's confirmation, "Driver package 'oemN.inf' deleted.", and the disk: the
// published INF must be gone.
#include "uninstall/OldPackageCleanup.h"

#include "discovery/PackageQuery.h"
#include "text/CodePage.h"
#include "text/TextCase.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tuple>

namespace {

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

long DriverDateValue(const std::string& date) {
    int first = 0, second = 0, third = 0;
    char separator = 0, again = 0;
    char tail = 0;
    if (std::sscanf(date.c_str(), "%d%c%d%c%d%c", &first, &separator, &second, &again, &third, &tail) != 5 ||
        separator != again || (separator != '/' && separator != '-' && separator != '.'))
        return 0;
    int year = 0, month = 0, day = 0;
    if (first > 31) { // year first: "2020/3/24", "2020-03-24"
        year = first, month = second, day = third;
    } else if (first > 12) { // day first, as some locales print it: "24/3/2020", "24.03.2020"
        day = first, month = second, year = third;
    } else { // month first: "3/24/2020"
        month = first, day = second, year = third;
    }
    if (year < 1980 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return 0;
    return year * 10000L + month * 100L + day;
}

std::vector<DriverPackageRecord> OldPackagesOf(const DeviceRecord& device) {
    std::vector<DriverPackageRecord> old;
    // "No driver information available for the device.": which package it runs is unknown, so none is old.
    if (std::none_of(device.packages.begin(), device.packages.end(),
                     [](const DriverPackageRecord& package) { return package.isCurrent; }))
        return old;
    for (const DriverPackageRecord& package : device.packages)
        if (!package.isCurrent && IsThirdPartyInfName(package.infName))
            old.push_back(package);
    std::stable_sort(old.begin(), old.end(), [](const DriverPackageRecord& a, const DriverPackageRecord& b) {
        return std::make_tuple(DriverDateValue(a.date), VersionParts(a.version)) <
               std::make_tuple(DriverDateValue(b.date), VersionParts(b.version));
    });
    return old;
}

namespace {

// The step's result from the deletion command; true when the package surely stays in the store.
bool ReadDeletionStep(CommandOutcome ran, const std::string& output, const std::string& infName, CleanupStep& step) {
    // The backup goes only when the package surely stays: the tool did not run, or refused in its own words.
    // A command that ran late or printed something else may have deleted it, and then the backup is the way back.
    bool packageStays = ran == CommandOutcome::NotStarted || ran == CommandOutcome::Refused;
    if (ran != CommandOutcome::Finished) {
        step.result = CleanupStep::Result::Failed;
        step.message = ran == CommandOutcome::Refused    ? L"驱动包名称含有不安全的字符"
                       : ran == CommandOutcome::TimedOut ? L"卸载驱动命令超时"
                                                         : L"无法运行设备控制台工具";
        return packageStays;
    }
    switch (ReadPackageDeletion(output, infName)) {
    case PackageDeletion::Deleted:
        step.result = CleanupStep::Result::Deleted;
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
    return packageStays;
}

// The tool's word is checked against the disk; the backup stays, as the outcome is unknown.
void CheckDeletedOnDisk(const CleanupRun& run, const std::wstring& inf, CleanupStep& step) {
    if (step.result != CleanupStep::Result::Deleted || run.disk == nullptr)
        return;
    const std::wstring published = run.disk->WindowsFolder() + L"\\INF\\" + inf;
    if (run.disk->Exists(published)) {
        step.result = CleanupStep::Result::Failed;
        step.freed = 0;
        step.message = L"设备控制台工具报告已删除，但 " + published + L" 仍在，删除没有生效";
    }
}

// Saves one old package, deletes it and keeps the backup only where the deletion may have happened.
CleanupStep CleanUpPackage(const DeviceConsole& console, CleanupRun& run, const DeviceRecord& device,
                           const DriverPackageRecord& package) {
    CleanupStep step;
    step.package = package;
    const std::wstring inf = WidenGbk(package.infName);
    BackupOutcome saved;
    if (run.backup != nullptr) {
        saved =
            run.backup->Backup({device.category, device.deviceKey, device.searchPattern, device.description, package});
        if (!saved.made && run.requireBackup) {
            step.result = CleanupStep::Result::NotBackedUp;
            step.message = saved.reason;
            return step;
        }
    }
    const uint64_t size = saved.made ? saved.size : run.disk != nullptr ? PackageStoreSize(*run.disk, inf) : 0;
    std::string output;
    const CommandOutcome ran = console.DeletePackageUnforced(inf, output);
    const bool packageStays = ReadDeletionStep(ran, output, package.infName, step);
    if (step.result == CleanupStep::Result::Deleted) {
        step.freed = size;
        step.backupFolder = saved.folder;
    }
    CheckDeletedOnDisk(run, inf, step);
    if (packageStays && run.backup != nullptr) {
        run.backup->Discard(saved);
        step.backupFolder.clear();
    } else if (step.result != CleanupStep::Result::Deleted) {
        step.backupFolder = saved.folder;
    }
    return step;
}

} // namespace

std::vector<CleanupStep> CleanUpOldPackages(const DeviceConsole& console, CleanupRun& run, DeviceRecord& device) {
    std::vector<CleanupStep> steps;
    for (const DriverPackageRecord& package : device.packages)
        if (package.isCurrent)
            run.settled.insert(ToLowerAscii(package.infName));
    for (const DriverPackageRecord& package : OldPackagesOf(device)) {
        // A package two devices list is taken once: the second time it is gone, or was refused already.
        if (!run.settled.insert(ToLowerAscii(package.infName)).second)
            continue;
        if (run.dryRun) {
            CleanupStep step;
            step.package = package;
            steps.push_back(step);
            continue;
        }
        steps.push_back(CleanUpPackage(console, run, device, package));
    }
    if (!run.dryRun && !steps.empty()) {
        device.packages.clear();
        // What the store holds now, as far as the tool tells: a failed query leaves the device without packages.
        static_cast<void>(QueryDriverPackages(console, WidenGbk(device.searchPattern), device.packages));
    }
    return steps;
}
