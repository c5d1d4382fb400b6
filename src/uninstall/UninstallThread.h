// Windows: starting the uninstall on its own thread.
#pragma once

#include "backup/PackageBackup.h"
#include "discovery/DriverInventory.h"

// Stores the request in the inventory and starts a detached thread running the uninstall procedure, which
// reports to the inventory's notify window. False when the thread cannot be created.
[[nodiscard]] bool StartUninstall(DriverInventory& inventory, int32_t category, const std::string& searchPattern,
                                  const DriverPackageRecord* package);

// How the command line asks for the backup; the window takes the defaults (backup on, never required).
struct UninstallBackupOptions {
    bool required = false;
    std::wstring root;                // empty: the default backup folder
    BackupOutcome* outcome = nullptr; // receives what the backup did; read it after the result message
};

[[nodiscard]] bool StartUninstall(DriverInventory& inventory, int32_t category, const std::string& searchPattern,
                                  const DriverPackageRecord* package, const UninstallBackupOptions& options);
