// Two-colour static text.
#include "ui/controls/DrawTextStatic.h"

#include "ui/controls/SkinPainting.h"
#include "ui/layout/ControlGeometry.h"

void CDrawTextStatic::CreateFontFromParent(int heightIncrease, int weight) {
    m_font.Reset(::CreateFontFromParent(::GetParent(m_hwnd), heightIncrease, weight));
}

void CDrawTextStatic::UpdateHover(int x, int y) {
    if (m_hwnd == nullptr) {
        return;
    }
    const bool hover = WindowRect().Contains({x, y});
    if (hover != m_hover) {
        m_hover = hover;
        Invalidate(true);
    }
}

bool CDrawTextStatic::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (m_keyboardLink && OnLinkMessage(message, wParam, lParam, result)) {
        return true;
    }
    return CDoubleBufferedControl::OnMessage(message, wParam, lParam, result);
}

bool CDrawTextStatic::OnLinkMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const bool activationKey = wParam == VK_SPACE || wParam == VK_RETURN;
    switch (message) {
    case WM_GETDLGCODE: {
        const auto* queued = reinterpret_cast<const MSG*>(lParam);
        result = Default();
        if (queued != nullptr && queued->message == WM_KEYDOWN &&
            (queued->wParam == VK_SPACE || queued->wParam == VK_RETURN)) {
            result |= DLGC_WANTMESSAGE;
        }
        return true;
    }
    case WM_KEYDOWN:
        if (!activationKey) {
            return false;
        }
        ::SendMessageW(::GetParent(m_hwnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hwnd), STN_CLICKED),
                       reinterpret_cast<LPARAM>(m_hwnd));
        result = 0;
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        result = DefaultThenRepaint(m_hwnd, Default());
        return true;
    default:
        return false;
    }
}

void CDrawTextStatic::DoPaint(HDC dc) {
    const Rect client = ClientRect();
    if (!m_backBrush) {
        m_backBrush.Reset(::CreateSolidBrush(m_backColour));
    }
    FillControlBackground(dc, client, m_backBrush.Get(), m_backImage, m_backSource);
    if (const auto format = DrawTextStaticFormat(m_alignment)) {
        CSelectObject font(dc, m_font.Get());
        const std::wstring text = WindowText();
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, m_hover ? m_hoverColour : m_normalColour);
        RECT textRect = ToRECT(client);
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, *format);
    }
    DrawFocusCue(m_hwnd, dc, ToRECT(client));
}
