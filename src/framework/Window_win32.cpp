// Thin calls on a window handle.
#include "framework/Window.h"

Rect ToRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}
RECT ToRECT(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

Rect CWindow::ClientRect() const {
    RECT r{};
    ::GetClientRect(m_hwnd, &r);
    return ToRect(r);
}

Rect CWindow::WindowRect() const {
    RECT r{};
    ::GetWindowRect(m_hwnd, &r);
    return ToRect(r);
}

Rect CWindow::ClientRectOnScreen() const {
    RECT r{};
    ::GetClientRect(m_hwnd, &r);
    ::MapWindowPoints(m_hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return ToRect(r);
}

Point CWindow::ScreenToClient(Point screen) const {
    POINT p{screen.x, screen.y};
    ::ScreenToClient(m_hwnd, &p);
    return {p.x, p.y};
}

void CWindow::MoveWindow(const Rect& r, bool repaint) const {
    ::MoveWindow(m_hwnd, r.left, r.top, r.Width(), r.Height(), repaint ? TRUE : FALSE);
}

void CWindow::ShowWindow(int command) const {
    ::ShowWindow(m_hwnd, command);
}
bool CWindow::IsVisible() const {
    return ::IsWindowVisible(m_hwnd) != FALSE;
}
bool CWindow::IsEnabled() const {
    return ::IsWindowEnabled(m_hwnd) != FALSE;
}
void CWindow::EnableWindow(bool enable) const {
    ::EnableWindow(m_hwnd, enable ? TRUE : FALSE);
}
void CWindow::Invalidate(bool erase) const {
    ::InvalidateRect(m_hwnd, nullptr, erase ? TRUE : FALSE);
}

std::wstring CWindow::WindowText() const {
    const int length = ::GetWindowTextLengthW(m_hwnd);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void CWindow::ChangeWindowText(const std::wstring& text) const {
    ::SetWindowTextW(m_hwnd, text.c_str());
}
HFONT CWindow::GetFont() const {
    return reinterpret_cast<HFONT>(::SendMessageW(m_hwnd, WM_GETFONT, 0, 0));
}
HWND CWindow::GetDlgItem(int id) const {
    return ::GetDlgItem(m_hwnd, id);
}
bool CWindow::SetTimer(UINT_PTR id, UINT milliseconds) const {
    return ::SetTimer(m_hwnd, id, milliseconds, nullptr) != 0;
}
void CWindow::KillTimer(UINT_PTR id) const {
    ::KillTimer(m_hwnd, id);
}
LRESULT CWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hwnd, message, wParam, lParam);
}

Rect WorkAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    HMONITOR handle = window != nullptr ? ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                        : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (!::GetMonitorInfoW(handle, &monitor)) {
        return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    return ToRect(monitor.rcWork);
}
