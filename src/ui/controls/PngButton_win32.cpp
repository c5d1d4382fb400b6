// Four-state PNG button.
#include "ui/controls/PngButton.h"

#include "ui/controls/SkinPainting.h"
#include "ui/layout/ControlGeometry.h"

#include <windowsx.h>

void RequestHoverAndLeave(HWND hwnd) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = hwnd;
    track.dwHoverTime = 10;
    ::TrackMouseEvent(&track);
}

bool ClientPointInside(HWND hwnd, LPARAM lParam) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return ::PtInRect(&client, point) != FALSE;
}

bool CTrackedButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_MOUSEMOVE:
        result = Default();
        if (m_tracker.OnMouseMove(IsEnabled())) {
            RequestHoverAndLeave(m_hwnd);
        }
        return true;
    case WM_MOUSEHOVER:
        if (m_tracker.OnHover(IsEnabled(), ClientPointInside(m_hwnd, lParam))) {
            Invalidate(true);
        }
        result = Default();
        return true;
    case WM_LBUTTONUP:
        if (m_tracker.OnRelease(IsEnabled(), ClientPointInside(m_hwnd, lParam))) {
            Invalidate(true);
        }
        result = Default();
        return true;
    case WM_LBUTTONDOWN:
        m_pressedByKeyboard = false;
        if (m_tracker.OnPress(IsEnabled(), ClientPointInside(m_hwnd, lParam))) {
            Invalidate(true);
        }
        result = Default();
        return true;
    case WM_MOUSELEAVE:
        result = Default();
        if (m_tracker.OnMouseLeave(IsEnabled())) {
            Invalidate(true);
        }
        return true;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            m_pressedByKeyboard = true;
        }
        return false;
    case kMsgPressByKeyboard:
        m_pressedByKeyboard = true;
        ::SendMessageW(::GetParent(m_hwnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hwnd), BN_CLICKED),
                       reinterpret_cast<LPARAM>(m_hwnd));
        result = 1;
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        // The face is drawn whole, focus cue included.
        result = Default();
        Invalidate(true);
        return true;
    default:
        return CButton::OnMessage(message, wParam, lParam, result);
    }
}

CPngButton::CPngButton()
    : CTrackedButton(ButtonStateTracker::PointRule::AnyPoint), m_fillBrush(::CreateSolidBrush(RGB(255, 255, 255))) {}

void CPngButton::SetStateImages(int normal, int hover, int pressed, int disabled) {
    const int ids[4] = {normal, hover, pressed, disabled};
    for (int i = 0; i < 4; ++i) {
        CPngImage::Load(ids[i], m_images[i]);
    }
}

void CPngButton::ReleaseImages() {
    for (PngSlot& slot : m_images) {
        slot.reset();
    }
}

bool CPngButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_ERASEBKGND:
        // The face is painted whole by DrawItem; without pictures the parent's background stays visible.
        result = 1;
        return true;
    default:
        return CTrackedButton::OnMessage(message, wParam, lParam, result);
    }
}

bool CPngButton::DrawItem(const DRAWITEMSTRUCT& item) {
    for (const PngSlot& slot : m_images) {
        if (!slot) {
            return true;
        }
    }
    const Rect face = ToRect(item.rcItem);
    CMemoryDc memory(item.hDC, face.Width(), face.Height());
    if (!memory.Valid()) {
        return true;
    }
    const Rect local{0, 0, face.Width(), face.Height()};
    if (m_backImage == nullptr) {
        const RECT fill = ToRECT(local);
        ::FillRect(memory.Dc(), &fill, m_fillBrush.Get());
    }
    {
        Gdiplus::Graphics graphics(memory.Dc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        graphics.SetPageUnit(Gdiplus::UnitPixel);
        if (m_backImage != nullptr) {
            DrawImagePart(graphics, m_backImage, local, m_backSource);
        }
        Gdiplus::Image* picture = m_images[StateImageIndex(m_tracker.State(), IsEnabled())]->Get();
        DrawImagePart(graphics, picture, local, PngButtonSourceRect(ImageSize(picture), m_scale));
    }
    DrawFocusCue(m_hwnd, memory.Dc(), ToRECT(local));
    ::BitBlt(item.hDC, face.left, face.top, face.Width(), face.Height(), memory.Dc(), 0, 0, SRCCOPY);
    return true;
}
