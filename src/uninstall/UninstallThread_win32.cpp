// The uninstall thread: one run of the procedure with the real runner, then the thread ends.
#include "uninstall/UninstallThread.h"

#include "uninstall/UninstallProcedure.h"
#include "console/WindowReport.h"
#include "console/WindowsConsole.h"
#include "console/WorkerThreads.h"

#include <windows.h>

namespace {

DWORD WINAPI UninstallThreadRoutine(LPVOID parameter) {
    DriverInventory& inventory = *static_cast<DriverInventory*>(parameter);
    ConsoleRunner runner;
    const DeviceConsole console(runner, GetProgramFolder(), Is64BitWindows(), inventory.scanner.commandLimits);
    WindowReport report(inventory.NotifyWindow());
    UninstallProcedure(inventory, console, report);
    return 1;
}

} // namespace

bool StartUninstall(DriverInventory& inventory, int32_t category, const std::string& searchPattern,
                    const DriverPackageRecord* package) {
    inventory.requestCategory = category;
    inventory.requestSearchPattern = searchPattern;
    inventory.requestPackage = package;
    return StartWorkerThread(UninstallThreadRoutine, &inventory);
}
