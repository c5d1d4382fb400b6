// The scan thread: one scan with the real registry and runner, then the thread ends.
#include "discovery/ScanThread.h"

#include "discovery/CategoryScan.h"
#include "discovery/RegistryReader_win32.h"
#include "console/WindowReport.h"
#include "console/WindowsConsole.h"
#include "console/WorkerThreads.h"

#include <windows.h>

namespace {

DWORD WINAPI ScanThreadRoutine(LPVOID parameter) {
    DriverInventory& inventory = *static_cast<DriverInventory*>(parameter);
    LocalMachineRegistry registry;
    ConsoleRunner runner;
    const DeviceConsole console(runner, GetProgramFolder(), inventory.scanner.is64Bit,
                              inventory.scanner.commandLimits);
    WindowReport report(inventory.NotifyWindow());
    RunScan(inventory, registry, console, report);
    return 1;
}

} // namespace

bool StartScan(DriverInventory& inventory) {
    return StartWorkerThread(ScanThreadRoutine, &inventory);
}
