// Windows: starting the category scan on its own thread.
#pragma once

#include "discovery/DriverInventory.h"

// Starts a detached thread that rebuilds the inventory's category maps and reports to its notify window.
// False when the thread cannot be created.
bool StartScan(DriverInventory& inventory);
