// Two-colour static text.
#include "ui/controls/DrawTextStatic.h"

#include "ui/controls/CheckBoxBtn.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/ControlGeometry.h"

void CDrawTextStatic::CreateFontFromParent(int heightIncrease, int weight) {
    m_font.Reset(::CreateFontFromParent(::GetParent(m_hwnd), heightIncrease, weight));
}

void CDrawTextStatic::UpdateHover(int x, int y) {
    if (m_hwnd == nullptr) {
        return;
    }
    const int hover = WindowRect().Contains({x, y}) ? 1 : 0;
    if (hover != m_hover) {
        m_hover = hover;
        Invalidate(true);
    }
}

bool CDrawTextStatic::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
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
        if (m_keyboardLink && OnLinkMessage(message, wParam, lParam, result)) {
            return true;
        }
        return CStatic::OnMessage(message, wParam, lParam, result);
    }
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

void CDrawTextStatic::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hwnd, &paint);
    m_client = ClientRect();
    CMemoryDc memory(dc, m_client.Width(), m_client.Height());
    if (memory.Valid()) {
        if (!m_backBrush) {
            m_backBrush.Reset(::CreateSolidBrush(m_backColour));
        }
        FillControlBackground(memory.Dc(), m_client, m_backBrush.Get(), m_backImage, m_backSource);
        if (const auto format = DrawTextStaticFormat(m_alignment)) {
            CSelectObject font(memory.Dc(), m_font.Get());
            const std::wstring text = WindowText();
            ::SetBkMode(memory.Dc(), TRANSPARENT);
            ::SetTextColor(memory.Dc(), m_hover == 1 ? m_hoverColour : m_normalColour);
            RECT textRect = ToRECT(m_client);
            ::DrawTextW(memory.Dc(), text.c_str(), static_cast<int>(text.size()), &textRect, *format);
        }
        DrawFocusCue(m_hwnd, memory.Dc(), ToRECT(m_client));
        memory.CopyTo(dc);
    }
    ::EndPaint(m_hwnd, &paint);
}
