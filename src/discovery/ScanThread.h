// Windows: starting the category scan on its own thread.
#pragma once

#include "discovery/DriverInventory.h"

// Starts a detached thread that rebuilds the inventory's category maps and reports to its notify window.
// False when the thread cannot be created.
[[nodiscard]] bool StartScan(DriverInventory& inventory);

// Stops the running scan: its running query is ended at once (queries are safe to end) and no further one runs;
// the scan logs the stop and reports kMsgWorkFinished, then kMsgScanResult with kResultStopped. Nothing when no
// scan runs; the next StartScan starts afresh.
void StopScan();
constexpr uintptr_t kResultStopped = 3;
