// Windows: a worker's report goes to the notify window with SendMessageW and to the tool's log file.
#pragma once

#include "console/WorkerReport.h"

class WindowReport : public IWorkerReport {
public:
    explicit WindowReport(NotifyWindowHandle window) : window_(window) {}
    void Send(uint32_t message, uintptr_t wParam) override;
    void LogFailure(std::wstring_view entry) override;

private:
    NotifyWindowHandle window_;
};
