// The uninstall thread: one run of the procedure with the real runner and the package backup, then the
// thread ends.
#include "uninstall/UninstallThread.h"

#include "backup/WindowsBackup.h"
#include "console/WindowReport.h"
#include "console/WindowsConsole.h"
#include "console/WorkerThreads.h"
#include "logging/CallbackGuard.h"
#include "uninstall/UninstallProcedure.h"

#include <windows.h>

namespace {

// Owned by the thread from its start.
struct UninstallRun {
    DriverInventory* inventory;
    UninstallBackupOptions options;
};

DWORD WINAPI UninstallThreadRoutine(LPVOID parameter) {
    const std::unique_ptr<UninstallRun> run(static_cast<UninstallRun*>(parameter));
    DriverInventory& inventory = *run->inventory;
    WindowReport windowReport(inventory.NotifyWindow());
    AnsweringReport report(windowReport, kMsgUninstallResult);
    const bool ran = CallGuarded("UninstallThread", [&] {
        ConsoleRunner runner;
        const DeviceConsole console(runner, GetProgramFolder(), Is64BitWindows(), inventory.scanner.commandLimits);
        const std::unique_ptr<IPackageBackup> backup = MakeWindowsBackup(run->options.root);
        WindowsBackupFiles disk;
        UninstallProcedure(inventory, console, report,
                           {backup.get(), run->options.required, run->options.outcome, &disk});
    });
    if (!ran)
        report.AnswerFailure();
    return ran ? 1 : 0;
}

} // namespace

bool StartUninstall(DriverInventory& inventory, int32_t category, const std::string& searchPattern,
                    const DriverPackageRecord* package) {
    return StartUninstall(inventory, category, searchPattern, package, {});
}

bool StartUninstall(DriverInventory& inventory, int32_t category, const std::string& searchPattern,
                    const DriverPackageRecord* package, const UninstallBackupOptions& options) {
    inventory.requestCategory = category;
    inventory.requestSearchPattern = searchPattern;
    inventory.requestPackage = package;
    auto run = std::make_unique<UninstallRun>(UninstallRun{&inventory, options});
    if (!StartWorkerThread(UninstallThreadRoutine, run.get()))
        return false;
    run.release();
    return true;
}
