// Putting a backed-up package back: check the backup against its manifest, add the package to the driver
// store, let Plug and Play choose again, make it the device's driver again when it was, and check with the
// package query that the device lists it.
#pragma once

#include "backup/BackupFiles.h"
#include "backup/BackupManifest.h"
#include "console/DeviceConsole.h"
#include "discovery/DriverInventory.h"

#include <optional>
#include <string>
#include <vector>

// Success means the package is in the driver store again; whether the device lists it and runs it again is
// reported beside it (a device that is unplugged now cannot), as a warning.
struct RestoreResult {
    bool success = false;
    bool changed = false; // a command that changes the machine ran
    std::wstring message;
    std::wstring warning;
    std::string publishedName; // the name the store gave it back, "oem0.inf"
    bool alreadyInStore = false;
    bool current = false;                      // the device runs it again
    std::vector<DriverPackageRecord> packages; // the device's packages afterwards
};

// A problem text when the folder's files differ from its manifest (missing, changed or added by hand).
[[nodiscard]] std::optional<std::wstring> CheckBackup(IBackupFiles& files, const std::wstring& folder,
                                                      const BackupManifest& manifest);

RestoreResult RestoreBackup(IBackupFiles& files, const DeviceConsole& console, const std::wstring& folder,
                            const BackupManifest& manifest);
