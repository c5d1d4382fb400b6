// A window handle with the calls the skinned windows make on it. It owns nothing: dialogs own their window
// (see CDialog), controls belong to the dialog that holds them.
#pragma once

#include "framework/Geometry.h"

#include <windows.h>

#include <string>

[[nodiscard]] Rect ToRect(const RECT& r);
[[nodiscard]] RECT ToRECT(const Rect& r);
// The work area (the screen without the taskbar) of the monitor a window is on, or of the primary monitor.
[[nodiscard]] Rect WorkAreaOf(HWND window);

class CWindow {
public:
    CWindow() = default;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;
    virtual ~CWindow() = default;

    [[nodiscard]] HWND Hwnd() const { return m_hwnd; }
    [[nodiscard]] bool IsWindow() const { return m_hwnd != nullptr && ::IsWindow(m_hwnd); }

    [[nodiscard]] Rect ClientRect() const;
    [[nodiscard]] Rect WindowRect() const;         // screen coordinates
    [[nodiscard]] Rect ClientRectOnScreen() const; // the client area in screen coordinates
    [[nodiscard]] Point ScreenToClient(Point screen) const;
    void MoveWindow(const Rect& r, bool repaint = true) const;
    void ShowWindow(int command) const;
    [[nodiscard]] bool IsVisible() const;
    [[nodiscard]] bool IsEnabled() const;
    void EnableWindow(bool enable) const;
    void Invalidate(bool erase = true) const;
    [[nodiscard]] std::wstring WindowText() const;
    void ChangeWindowText(const std::wstring& text) const;
    [[nodiscard]] HFONT GetFont() const;
    [[nodiscard]] HWND GetDlgItem(int id) const;
    bool SetTimer(UINT_PTR id, UINT milliseconds) const;
    void KillTimer(UINT_PTR id) const;
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

protected:
    HWND m_hwnd = nullptr;
};
