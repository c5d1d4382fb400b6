// Waiting text with animated dots.
#include "ui/controls/DrawStateInfoStatic.h"

#include "ui/controls/CheckBoxBtn.h"
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
    switch (message) {
    case WM_TIMER:
        if (wParam != kAnimationTimer) {
            return CStatic::OnMessage(message, wParam, lParam, result);
        }
        m_dots = NextDotCount(m_dots);
        Invalidate(true);
        result = 0;
        return true;
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SETTEXT:
    case WM_ENABLE:
        result = DefaultThenRepaint(m_hwnd, Default());
        return true;
    default:
        return CStatic::OnMessage(message, wParam, lParam, result);
    }
}

void CDrawStateInfoStatic::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hwnd, &paint);
    m_client = ClientRect();
    CMemoryDc memory(dc, m_client.Width(), m_client.Height());
    if (memory.Valid()) {
        FillControlBackground(memory.Dc(), m_client, m_fillBrush.Get(), m_backImage, m_backSource);
        ::SetBkMode(memory.Dc(), TRANSPARENT);
        CSelectObject font(memory.Dc(), m_font.Get());
        ::SetTextColor(memory.Dc(), m_textColour);
        const std::wstring text = TextWithDots(WindowText(), m_dots);
        RECT textRect = ToRECT(m_client);
        ::DrawTextW(memory.Dc(), text.c_str(), static_cast<int>(text.size()), &textRect, StateInfoFormat(m_alignment));
        memory.CopyTo(dc);
    }
    ::EndPaint(m_hwnd, &paint);
}
