// The command line's backup commands: backups (list, prune), restore, and the clean-up of old packages.
#pragma once

#include "cli/CliArguments.h"
#include "cli/CliReply.h"
#include "discovery/DriverInventory.h"

#include <string>

// The backup folder the command line uses: --backup-dir, or the default one.
std::wstring BackupRootOf(const CliArguments& arguments);

// "backups" and "restore".
CliReply RunBackupCommand(const CliArguments& arguments);

// "uninstall --old" over a scanned inventory.
CliReply RunOldCleanup(const CliArguments& arguments, DriverInventory& inventory);
