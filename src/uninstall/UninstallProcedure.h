// Removing the chosen driver package: delete it from the driver store; when that is refused because the package
// is in use, remove the devices of the chosen hardware ID, delete it again and rescan. Then refresh the device's
// packages and report. Success only when the tool confirmed the deletion, or the refreshed list no longer holds
// the package — and the published INF is gone from the disk; a road that removed devices and then fails
// rescans before it reports.
#pragma once

#include "backup/BackupFiles.h"
#include "backup/PackageBackup.h"
#include "console/DeviceConsole.h"
#include "console/WorkerReport.h"
#include "discovery/DriverInventory.h"

// How the package is saved before the first deletion. Without a backup nothing is saved; a failed backup
// stops the uninstall only when it is required (the command line's choice; the window never requires it).
// A deletion that surely did not happen takes its backup back; one whose outcome is unknown keeps it.
struct UninstallBackup {
    IPackageBackup* backup = nullptr;
    bool required = false;
    BackupOutcome* outcome = nullptr; // receives what the backup did, when given
    IBackupFiles* disk = nullptr;     // where a confirmed deletion is checked: the published INF must be gone
};

// Runs one uninstall of the inventory's request. Sends kMsgWorkFinished, then kMsgUninstallResult with 1 or
// 2, exactly once; a failure is logged before the messages. True on success.
bool UninstallProcedure(DriverInventory& inventory, const DeviceConsole& console, IWorkerReport& report,
                        const UninstallBackup& backup = {});

// The backup request for the inventory's uninstall request: the package and the device it was chosen for.
BackupRequest BackupRequestFor(const DriverInventory& inventory);
