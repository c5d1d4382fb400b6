// The guard at every window callback: an exception must never cross the system's frames back to the message
// loop (the unwinder cannot pass them and the process would end), so it is caught where the system called in,
// logged, and the message is answered as if nothing had handled it.
//
//   LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
//       return GuardCallback(message, [&] { return Handle(hwnd, message, wParam, lParam); },
//                            [&] { return ::DefWindowProcW(hwnd, message, wParam, lParam); });
//   }
#pragma once

#include <windows.h>

#include <exception>
#include <utility>

// Logs that the handling of window message `message` failed with `what` (null: not a standard exception).
// Never throws: a log that fails too is given up.
void LogCallbackFailure(UINT message, const char* what) noexcept;

// `handle()`'s answer, or `fallback()`'s when `handle` threw (then logged).
template <typename Handle, typename Fallback>
[[nodiscard]] auto GuardCallback(UINT message, Handle&& handle, Fallback&& fallback) noexcept
    -> decltype(std::forward<Handle>(handle)()) {
    try {
        return std::forward<Handle>(handle)();
    } catch (const std::exception& failure) {
        LogCallbackFailure(message, failure.what());
    } catch (...) {
        LogCallbackFailure(message, nullptr);
    }
    return std::forward<Fallback>(fallback)();
}
