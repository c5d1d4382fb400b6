// Windows: starting the uninstall on its own thread.
#pragma once

#include "discovery/DriverInventory.h"

// Stores the request in the inventory and starts a detached thread running the uninstall procedure, which
// reports to the inventory's notify window. False when the thread cannot be created.
bool StartUninstall(DriverInventory& inventory, int32_t category, const std::string& searchPattern,
                    const DriverPackageRecord* package);
