// Skinned scroll bar: painting from the skin bitmap, pointer handling through ScrollBarTracker.
#include "ui/controls/SkinScrollBar.h"

#include "framework/GdiObjects.h"

#include <windowsx.h>

namespace {

constexpr UINT_PTR kRepeatTimer = 100; // every 100 ms while an arrow or the track is held
constexpr UINT_PTR kDelayTimer = 200;  // the first repeat, 500 ms after the press
constexpr UINT kRepeatMs = 100;
constexpr UINT kDelayMs = 500;

Point PointOf(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

} // namespace

bool CSkinScrollBar::Create(HWND parent, int id, bool vertical) {
    const DWORD style = WS_CHILD | (vertical ? SBS_VERT : SBS_HORZ);
    HWND hwnd =
        ::CreateWindowExW(0, L"SCROLLBAR", L"", style, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) {
        return false;
    }
    if (!Attach(hwnd)) {
        ::DestroyWindow(hwnd);
        return false;
    }
    m_tracker = ScrollBarTracker((::GetWindowLongW(hwnd, GWL_STYLE) & SBS_VERT) != 0);
    m_tracker.SetSkin(m_cell, m_scale, m_capSize);
    return true;
}

void CSkinScrollBar::SetScale(float scale) {
    m_scale = scale;
    m_tracker.SetSkin(m_cell, m_scale, m_capSize);
}

void CSkinScrollBar::SetCapSize(int capSize) {
    m_capSize = capSize;
    m_tracker.SetSkin(m_cell, m_scale, m_capSize);
}

void CSkinScrollBar::SetBitmap(HBITMAP bitmap) {
    m_bitmap = bitmap;
    BITMAP info{};
    if (bitmap != nullptr && ::GetObjectW(bitmap, sizeof(info), &info) != 0) {
        m_cell = info.bmWidth / 9;
        m_rowHeight = info.bmHeight / 3;
    } else {
        m_cell = 0;
        m_rowHeight = 0;
    }
    m_tracker.SetSkin(m_cell, m_scale, m_capSize);
    if (m_hwnd == nullptr || m_cell <= 0) {
        return;
    }
    RECT r{};
    ::GetWindowRect(m_hwnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(m_hwnd), reinterpret_cast<POINT*>(&r), 2);
    const int thickness = BarThickness(m_cell, m_scale);
    const int width = Vertical() ? thickness : r.right - r.left;
    const int height = Vertical() ? r.bottom - r.top : thickness;
    ::SetWindowPos(m_hwnd, nullptr, r.left, r.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSkinScrollBar::Apply(const BarActions& actions) {
    HWND hwnd = m_hwnd;
    if (actions.notify != kPartNone) {
        const bool thumb = actions.notify == kPartThumbTrack || actions.notify == kPartThumbPosition;
        if (thumb) {
            m_lastThumbPosition = actions.notifyPosition;
        }
        const WPARAM wParam =
            MAKEWPARAM(static_cast<WORD>(actions.notify), thumb ? static_cast<WORD>(actions.notifyPosition) : 0);
        ::SendMessageW(::GetParent(hwnd), Vertical() ? WM_VSCROLL : WM_HSCROLL, wParam, reinterpret_cast<LPARAM>(hwnd));
        if (!::IsWindow(hwnd)) {
            return; // the parent destroyed the bar while handling the scroll
        }
    }
    switch (actions.timer) {
    case BarActions::Timer::StartDelay:
        ::KillTimer(hwnd, kRepeatTimer);
        ::SetTimer(hwnd, kDelayTimer, kDelayMs, nullptr);
        break;
    case BarActions::Timer::StartRepeat:
        ::KillTimer(hwnd, kDelayTimer);
        ::SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
        break;
    case BarActions::Timer::Stop:
        ::KillTimer(hwnd, kDelayTimer);
        ::KillTimer(hwnd, kRepeatTimer);
        break;
    case BarActions::Timer::Keep:
        break;
    }
    if (actions.repaint) {
        Redraw();
    }
}

void CSkinScrollBar::Redraw() {
    if (m_hwnd == nullptr || !::IsWindowVisible(m_hwnd)) {
        return;
    }
    CClientDc dc(m_hwnd);
    if (dc.Get() != nullptr) {
        Paint(dc.Get());
    }
}

void CSkinScrollBar::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    const Size size{client.right, client.bottom};
    m_tracker.SetClientSize(size);
    CMemoryDc picture(dc, size.width, size.height);
    if (!picture.Valid()) {
        return;
    }
    ::FillRect(picture.Dc(), &client, ::GetSysColorBrush(COLOR_SCROLLBAR));
    if (m_bitmap != nullptr) {
        CSourceDc skin(dc, m_bitmap);
        ::SetStretchBltMode(picture.Dc(), COLORONCOLOR);
        BarLook look = m_tracker.Look();
        look.disabled = !IsEnabled();
        for (const SkinPiece& piece : PaintBar(m_tracker.Metrics(), m_tracker.Values(), Vertical(), size, look)) {
            const int saved = ::SaveDC(picture.Dc());
            ::IntersectClipRect(picture.Dc(), piece.clip.left, piece.clip.top, piece.clip.right, piece.clip.bottom);
            ::StretchBlt(picture.Dc(), piece.target.left, piece.target.top, piece.target.Width(), piece.target.Height(),
                         skin.Get(), piece.source.left, piece.source.top, piece.source.Width(), piece.source.Height(),
                         SRCCOPY);
            ::RestoreDC(picture.Dc(), saved);
        }
    }
    picture.CopyTo(dc);
}

void CSkinScrollBar::SetValues(unsigned mask, const ScrollValues& values, bool redraw) {
    m_tracker.SetValues(mask, values);
    if (redraw) {
        Redraw();
    }
}

LRESULT CSkinScrollBar::SetScrollInfoMessage(const SCROLLINFO* info, bool redraw) {
    if (info == nullptr) {
        return 0;
    }
    ScrollValues values;
    values.min = info->nMin;
    values.max = info->nMax;
    // The page is unsigned in SCROLLINFO; anything beyond the range is cut down to it.
    values.page = info->nPage > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(info->nPage);
    values.pos = info->nPos;
    SetValues(info->fMask & (kScrollMaskRange | kScrollMaskPage | kScrollMaskPos), values, redraw);
    return m_tracker.Values().pos;
}

LRESULT CSkinScrollBar::GetScrollInfoMessage(SCROLLINFO* info) const {
    if (info == nullptr) {
        return FALSE;
    }
    const ScrollValues& values = m_tracker.Values();
    if ((info->fMask & SIF_RANGE) != 0) {
        info->nMin = values.min;
        info->nMax = values.max;
    }
    if ((info->fMask & SIF_PAGE) != 0) {
        info->nPage = static_cast<UINT>(values.page);
    }
    if ((info->fMask & SIF_POS) != 0) {
        info->nPos = values.pos;
    }
    if ((info->fMask & SIF_TRACKPOS) != 0) {
        info->nTrackPos = m_tracker.TrackPosition();
    }
    return TRUE;
}

bool CSkinScrollBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The system scroll bar's own painting and pointer handling never run: every message that would start them
    // is answered here.
    if (OnWindowMessage(message, lParam, result) || OnPointerMessage(message, wParam, lParam, result) ||
        OnScrollInfoMessage(message, wParam, lParam, result)) {
        return true;
    }
    return CControl::OnMessage(message, wParam, lParam, result);
}

bool CSkinScrollBar::OnWindowMessage(UINT message, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_PAINT: {
        CPaintDc paint(m_hwnd);
        if (paint.Get() != nullptr) {
            Paint(paint.Get());
        }
        result = 0;
        return true;
    }
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SIZE:
        m_tracker.SetClientSize({LOWORD(lParam), HIWORD(lParam)});
        result = 0;
        return true;
    case WM_ENABLE:
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
        result = 0;
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        result = 0;
        return true;
    default:
        return false;
    }
}

bool CSkinScrollBar::OnPointerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_LBUTTONDOWN: {
        const BarActions actions = m_tracker.Press(PointOf(lParam));
        if (m_tracker.Active()) {
            ::SetCapture(m_hwnd);
        }
        Apply(actions);
        result = 0;
        return true;
    }
    case WM_LBUTTONDBLCLK:
        result = 1;
        return true;
    case WM_MOUSEMOVE:
        if (!m_leaveRequested) {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = m_hwnd;
            m_leaveRequested = ::TrackMouseEvent(&track) != FALSE;
        }
        Apply(m_tracker.Move(PointOf(lParam)));
        result = 0;
        return true;
    case WM_MOUSELEAVE:
        m_leaveRequested = false;
        Apply(m_tracker.Leave());
        result = 0;
        return true;
    case WM_LBUTTONUP: {
        const BarActions actions = m_tracker.Release(PointOf(lParam));
        if (::GetCapture() == m_hwnd) {
            ::ReleaseCapture();
        }
        Apply(actions);
        result = 0;
        return true;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_hwnd) {
            Apply(m_tracker.CaptureLost());
        }
        result = 0;
        return true;
    case WM_TIMER:
        if (wParam != kRepeatTimer && wParam != kDelayTimer) {
            return false;
        }
        Apply(m_tracker.RepeatTimer());
        result = 0;
        return true;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // The wheel over a bar scrolls what the bar scrolls.
        result = ::SendMessageW(::GetParent(m_hwnd), message, wParam, lParam);
        return true;
    default:
        return false;
    }
}

bool CSkinScrollBar::OnScrollInfoMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case SBM_SETSCROLLINFO:
        result = SetScrollInfoMessage(reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0);
        return true;
    case SBM_GETSCROLLINFO:
        result = GetScrollInfoMessage(reinterpret_cast<SCROLLINFO*>(lParam));
        return true;
    case SBM_GETPOS:
        result = m_tracker.Values().pos;
        return true;
    case SBM_SETPOS: {
        result = m_tracker.Values().pos;
        ScrollValues values;
        values.pos = static_cast<int>(wParam);
        SetValues(kScrollMaskPos, values, lParam != 0);
        return true;
    }
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
        result = m_tracker.Values().pos;
        ScrollValues values;
        values.min = static_cast<int>(wParam);
        values.max = static_cast<int>(lParam);
        SetValues(kScrollMaskRange, values, message == SBM_SETRANGEREDRAW);
        return true;
    }
    case SBM_GETRANGE:
        if (wParam != 0) {
            *reinterpret_cast<int*>(wParam) = m_tracker.Values().min;
        }
        if (lParam != 0) {
            *reinterpret_cast<int*>(lParam) = m_tracker.Values().max;
        }
        result = 0;
        return true;
    default:
        return false;
    }
}
