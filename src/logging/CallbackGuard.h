// No exception may leave code that the system calls (a thread procedure, a window procedure, a pool's work item):
// it would end the process. Each such entry point runs its work through CallGuarded, which logs what escaped.
#pragma once

#include <string_view>
#include <utility>

// Logs the exception being handled as an internal failure at `where` (an ASCII name) in the tool's log. Only for
// a catch handler.
void LogEscapedException(std::string_view where) noexcept;

// Runs `body`; false, with the exception logged, when one escaped it. The caller then answers as it does for a
// failure.
template <typename Body> bool CallGuarded(std::string_view where, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        LogEscapedException(where);
        return false;
    }
}
