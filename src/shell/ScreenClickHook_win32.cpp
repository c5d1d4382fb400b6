// Screen click hook.
#include "shell/ScreenClickHook.h"

namespace {
// Written on the window thread before the hook is installed; the hook procedure runs on the same thread.
HHOOK g_hook = nullptr;
HWND g_target = nullptr;
} // namespace

ScreenClickHook::ScreenClickHook() {
    g_hook = nullptr;
    g_target = nullptr;
}

ScreenClickHook::~ScreenClickHook() {
    Uninstall();
}

bool ScreenClickHook::SetTargetWindow(HWND window) {
    if (window == nullptr) {
        return false;
    }
    g_target = window;
    return true;
}

bool ScreenClickHook::Install() {
    // A low-level hook is never injected into other processes; the module handle is only there for the systems
    // that insist on one.
    g_hook = ::SetWindowsHookExW(WH_MOUSE_LL, &ScreenClickHook::HookProc, ::GetModuleHandleW(nullptr), 0);
    return g_hook != nullptr;
}

void ScreenClickHook::Uninstall() {
    if (g_hook != nullptr) {
        ::UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
}

bool ScreenClickHook::IsInstalled() const {
    return g_hook != nullptr;
}

LRESULT CALLBACK ScreenClickHook::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (wParam == WM_LBUTTONDOWN) {
        ::PostMessageW(g_target, kMsgScreenClick, wParam, lParam);
    }
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}
