// The guard at every window callback: an exception must never cross the system's frames back to the message
// loop (the unwinder cannot pass them and the process would end), so it is caught where the system called in,
// logged, and the message is answered as if nothing had handled it.
//
//   LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
//       return GuardCallback(message, [&] { return Handle(hwnd, message, wParam, lParam); },
//                            [&] { return ::DefWindowProcW(hwnd, message, wParam, lParam); });
//   }
#pragma once

#include "logging/CallbackGuard.h"

#include <windows.h>

#include <cstdio>
#include <utility>

// `handle()`'s answer, or `fallback()`'s when `handle` threw (then logged with the message's number).
template <typename Handle, typename Fallback>
[[nodiscard]] auto GuardCallback(UINT message, Handle&& handle, Fallback&& fallback) noexcept
    -> decltype(std::forward<Handle>(handle)()) {
    try {
        return std::forward<Handle>(handle)();
    } catch (...) {
        char where[32]; // no allocation while an exception is handled: memory may be what ran out
        std::snprintf(where, sizeof where, "window message 0x%04X", message);
        LogEscapedException(where);
    }
    return std::forward<Fallback>(fallback)();
}
