// The scan thread: one scan with the real registry and runner, then the thread ends.
#include "discovery/ScanThread.h"

#include "console/WindowReport.h"
#include "console/WindowsConsole.h"
#include "console/WorkerThreads.h"
#include "discovery/CategoryScan.h"
#include "discovery/RegistryReader_win32.h"
#include "logging/CallbackGuard.h"

#include <windows.h>

namespace {

// Set by StopScan, cleared when a scan starts; lives as long as the process.
HANDLE StopEvent() {
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

bool StopRequested() {
    return StopEvent() != nullptr && WaitForSingleObject(StopEvent(), 0) == WAIT_OBJECT_0;
}

// The scan's report, which turns the result of a stopped scan into kResultStopped (what it found by then is
// not a result) and logs the stop.
class StoppableReport : public IWorkerReport {
public:
    explicit StoppableReport(IWorkerReport& report) : report_(report) {}

    void Send(uint32_t message, uintptr_t wParam) override {
        if (message == kMsgScanResult && StopRequested()) {
            report_.LogFailure(L"驱动检测已由用户停止");
            wParam = kResultStopped;
        }
        report_.Send(message, wParam);
    }
    void LogFailure(std::wstring_view entry) override { report_.LogFailure(entry); }

private:
    IWorkerReport& report_;
};

DWORD WINAPI ScanThreadRoutine(LPVOID parameter) {
    DriverInventory& inventory = *static_cast<DriverInventory*>(parameter);
    WindowReport windowReport(inventory.NotifyWindow());
    StoppableReport stoppable(windowReport);
    AnsweringReport report(stoppable, kMsgScanResult);
    const bool ran = CallGuarded("ScanThread", [&] {
        LocalMachineRegistry registry;
        ConsoleRunner runner;
        runner.WatchStopEvent(StopEvent());
        const DeviceConsole console(runner, GetProgramFolder(), inventory.scanner.is64Bit,
                                    inventory.scanner.commandLimits);
        RunScan(inventory, registry, console, report);
    });
    if (!ran)
        report.AnswerFailure();
    return ran ? 1 : 0;
}

} // namespace

bool StartScan(DriverInventory& inventory) {
    if (StopEvent() != nullptr) {
        ResetEvent(StopEvent());
    }
    return StartWorkerThread(ScanThreadRoutine, &inventory);
}

void StopScan() {
    if (StopEvent() != nullptr) {
        SetEvent(StopEvent());
    }
}
