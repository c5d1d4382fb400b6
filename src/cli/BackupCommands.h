// The command line's backup commands: backups (list, prune), restore, and the clean-up of old packages.
#pragma once

#include "cli/CliArguments.h"
#include "discovery/DriverInventory.h"

#include <functional>
#include <string>
#include <string_view>

struct CliWriter {
    std::function<void(std::wstring_view)> out;
    std::function<void(std::wstring_view)> err;
};

// The backup folder the command line uses: --backup-dir, or the default one.
std::wstring BackupRootOf(const CliArguments& arguments);

// "backups" and "restore"; exit codes as the usage says.
int RunBackupCommand(const CliArguments& arguments, const CliWriter& writer);

// "uninstall --old" over a scanned inventory.
int RunOldCleanup(const CliArguments& arguments, DriverInventory& inventory, const CliWriter& writer);
