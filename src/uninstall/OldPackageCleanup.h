// Clean-up of a device's old packages: every "oem" package that is not the device's current one is saved and
// deleted, oldest first, with an unforced deletion, so a package that any device (present or not) was
// installed from is refused by Windows and left alone. No device is ever removed.
#pragma once

#include "backup/PackageBackup.h"
#include "console/DeviceConsole.h"
#include "discovery/DriverInventory.h"

#include <string>
#include <vector>

struct CleanupStep {
    enum class Result { Planned, Deleted, Refused, Failed, NotBackedUp };
    DriverPackageRecord package;
    Result result = Result::Planned;
    std::wstring message;      // the tool's first line, or why nothing was done
    std::wstring backupFolder; // empty when no backup was kept
    uint64_t freed = 0;        // bytes of the deleted package's store folder and published INF
};

// The device's old packages in the order the clean-up takes them: oldest driver date first, then lowest
// version.
std::vector<DriverPackageRecord> OldPackagesOf(const DeviceRecord& device);

// Cleans up one device (its packages are refreshed afterwards unless `dryRun`). Without a backup nothing is
// saved; when `requireBackup`, a package that could not be saved is not deleted.
std::vector<CleanupStep> CleanUpOldPackages(const DeviceConsole& console, IPackageBackup* backup, DeviceRecord& device,
                                            bool dryRun, bool requireBackup);
