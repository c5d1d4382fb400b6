// A process-wide low-level mouse hook that tells the main window about every left-button press anywhere on the
// screen, so that the agreement text can close when the user clicks elsewhere.
//
// The hook handle and the target window are process-wide (the hook procedure has no object to look at); making
// a ScreenClickHook clears both, destroying it removes the hook.
#pragma once

#include "base/WindowMessages.h" // kMsgScreenClick, posted to the target window on each press

#include <windows.h>

class ScreenClickHook {
public:
    ScreenClickHook();
    ScreenClickHook(const ScreenClickHook&) = delete;
    ScreenClickHook& operator=(const ScreenClickHook&) = delete;
    ~ScreenClickHook();

    // False, and nothing changed, for a null handle.
    bool SetTargetWindow(HWND window);
    // Installs the hook for the whole desktop; true when the system gave a hook handle.
    bool Install();
    // Removes the hook when one is installed.
    void Uninstall();
    bool IsInstalled() const;

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
};
