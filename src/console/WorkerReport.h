// How the scan and uninstall threads report: window messages to the notify window, and forced log entries.
#pragma once

#include "base/WindowMessages.h" // the messages the workers send (synchronously) to the page that started them

#include <cstdint>
#include <string_view>

constexpr uintptr_t kResultSuccess = 1;
constexpr uintptr_t kResultFailure = 2;

// Opaque window handle, so that the engine stays free of platform headers.
using NotifyWindowHandle = void*;

class IWorkerReport {
public:
    virtual ~IWorkerReport() = default;
    // Sends a message to the notify window and returns once it has been handled.
    virtual void Send(uint32_t message, uintptr_t wParam) = 0;
    // Writes an entry to the tool's log with force on.
    virtual void LogFailure(std::wstring_view entry) = 0;
};

// Passes a worker's report on and remembers what of its ending went out, so that a worker cut short by an
// exception still answers the window that waits for it, as for a failure.
class AnsweringReport : public IWorkerReport {
public:
    AnsweringReport(IWorkerReport& report, uint32_t resultMessage) : report_(report), resultMessage_(resultMessage) {}

    void Send(uint32_t message, uintptr_t wParam) override {
        report_.Send(message, wParam);
        finished_ = finished_ || message == kMsgWorkFinished;
        answered_ = answered_ || message == resultMessage_;
    }
    void LogFailure(std::wstring_view entry) override { report_.LogFailure(entry); }

    // Sends what the worker did not: the end of the work, then its result as a failure.
    void AnswerFailure() {
        if (!finished_)
            Send(kMsgWorkFinished, 0);
        if (!answered_)
            Send(resultMessage_, kResultFailure);
    }

private:
    IWorkerReport& report_;
    uint32_t resultMessage_;
    bool finished_ = false;
    bool answered_ = false;
};
