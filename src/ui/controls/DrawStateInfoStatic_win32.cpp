// Waiting text with animated dots.
#include "ui/controls/DrawStateInfoStatic.h"

#include "ui/controls/SkinPainting.h"
#include "ui/layout/ControlGeometry.h"

CDrawStateInfoStatic::CDrawStateInfoStatic() : m_fillBrush(::CreateSolidBrush(RGB(255, 255, 255))) {}

void CDrawStateInfoStatic::InitFontFromParent() {
    m_font.Reset(CreateFontFromParent(::GetParent(m_hwnd), 0, 0));
}

void CDrawStateInfoStatic::SetTextColor(COLORREF colour) {
    m_textColour = colour;
    if (m_hwnd != nullptr) {
        Invalidate(true);
    }
}

void CDrawStateInfoStatic::StartAnimation() {
    if (m_hwnd != nullptr) {
        SetTimer(kAnimationTimer, 1000);
    }
}

void CDrawStateInfoStatic::StopAnimation() {
    ResetAnimation();
    if (m_hwnd != nullptr) {
        Invalidate(true);
    }
}

void CDrawStateInfoStatic::ResetAnimation() {
    if (m_hwnd != nullptr) {
        KillTimer(kAnimationTimer);
    }
    m_dots = 0;
}

bool CDrawStateInfoStatic::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_TIMER && wParam == kAnimationTimer) {
        m_dots = NextDotCount(m_dots);
        Invalidate(true);
        result = 0;
        return true;
    }
    return CDoubleBufferedControl::OnMessage(message, wParam, lParam, result);
}

void CDrawStateInfoStatic::DoPaint(HDC dc) {
    const Rect client = ClientRect();
    FillControlBackground(dc, client, m_fillBrush.Get(), m_backImage, m_backSource);
    ::SetBkMode(dc, TRANSPARENT);
    CSelectObject font(dc, m_font.Get());
    ::SetTextColor(dc, m_textColour);
    const std::wstring text = TextWithDots(WindowText(), m_dots);
    RECT textRect = ToRECT(client);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, StateInfoFormat(m_alignment));
}
