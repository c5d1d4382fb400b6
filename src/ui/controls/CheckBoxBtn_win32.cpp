// Skinned check box.
#include "ui/controls/CheckBoxBtn.h"

#include "ui/controls/SkinPainting.h"
#include "ui/layout/ControlGeometry.h"

namespace {
constexpr int kCheckImageId = 141;
}

LRESULT DefaultThenRepaint(HWND hwnd, LRESULT defaultResult) {
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return defaultResult;
}

CCheckBoxBtn::CCheckBoxBtn() : m_fillBrush(::CreateSolidBrush(RGB(255, 255, 255))) {}

void CCheckBoxBtn::InitFontFromParent() {
    m_font.Reset(CreateFontFromParent(::GetParent(m_hwnd), 0, 0));
}

bool CCheckBoxBtn::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_MBUTTONDOWN:
        Invalidate(true);
        result = Default();
        return true;
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
        result = DefaultThenRepaint(m_hwnd, Default());
        return true;
    default:
        return CButton::OnMessage(message, wParam, lParam, result);
    }
}

void CCheckBoxBtn::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hwnd, &paint);
    m_client = ClientRect();
    if (!m_memory || m_memory->Width() != m_client.Width() || m_memory->Height() != m_client.Height()) {
        m_memory = std::make_unique<CMemoryDc>(dc, m_client.Width(), m_client.Height());
    }
    if (m_memory->Valid()) {
        HDC memory = m_memory->Dc();
        FillControlBackground(memory, m_client, m_fillBrush.Get(), m_backImage, m_backSource);
        ::SetBkMode(memory, TRANSPARENT);
        if (EnsurePng(kCheckImageId, m_checkImage)) {
            const CheckBoxLayout layout = LayOutCheckBox(m_client, m_scale, GetCheck());
            {
                Gdiplus::Graphics graphics(memory);
                graphics.SetPageUnit(Gdiplus::UnitPixel);
                DrawImagePart(graphics, m_checkImage->Get(), layout.box, Rect::FromSize(layout.sourceX, 0, 16, 16));
            }
            CSelectObject font(memory, m_font.Get());
            const std::wstring text = WindowText();
            ::SetTextColor(memory, m_textColour);
            RECT textRect = ToRECT(layout.text);
            ::DrawTextW(memory, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_VCENTER);
        }
        DrawFocusCue(m_hwnd, memory, ToRECT(m_client));
        ::BitBlt(dc, 0, 0, m_client.right, m_client.bottom, memory, 0, 0, SRCCOPY);
    }
    ::EndPaint(m_hwnd, &paint);
}
