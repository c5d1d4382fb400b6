// Clean-up of a device's old packages: every "oem" package that is not the device's current one is saved and
// deleted, oldest first, with an unforced deletion, so a package that any device (present or not) was
// installed from is refused by Windows and left alone. No device is ever removed.
#pragma once

#include "backup/BackupFiles.h"
#include "backup/PackageBackup.h"
#include "console/DeviceConsole.h"
#include "discovery/DriverInventory.h"

#include <set>
#include <string>
#include <vector>

struct CleanupStep {
    enum class Result { Planned, Deleted, Refused, Failed, NotBackedUp };
    DriverPackageRecord package;
    Result result = Result::Planned;
    std::wstring message;      // the tool's first line, or why nothing was done
    std::wstring backupFolder; // empty when no backup was kept
    uint64_t freed = 0;        // bytes the deleted package took in the store: its folder and published INF/PNF
};

// One clean-up run over one or more devices.
struct CleanupRun {
    IPackageBackup* backup = nullptr; // without one nothing is saved
    IBackupFiles* disk = nullptr;     // where deletions are checked and measured; without one they are not
    bool dryRun = false;
    bool requireBackup = false; // a package that could not be saved is not deleted
    // Packages (lower case) that are not to be taken again in this run: those already handled, and those a
    // device runs. CleanUpOldPackages adds the ones it takes.
    std::set<std::string> settled;
};

// A driver date as the console tool prints it, in the user's short date ("2020/3/24" in China, "3/24/2020" in
// the United States) or ISO ("2020-03-24"), as yyyymmdd; 0 when it cannot be read.
long DriverDateValue(const std::string& date);

// The device's old packages in the order the clean-up takes them: oldest driver date first, then lowest
// version. None when the console tool did not name the device's current driver: then nothing is surely old.
std::vector<DriverPackageRecord> OldPackagesOf(const DeviceRecord& device);

// Cleans up one device (its packages are refreshed afterwards unless a dry run).
std::vector<CleanupStep> CleanUpOldPackages(const DeviceConsole& console, CleanupRun& run, DeviceRecord& device);
