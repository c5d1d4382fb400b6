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
