// Skinned check box.
#include "ui/controls/CheckBoxBtn.h"

#include "ui/controls/SkinPainting.h"
#include "ui/layout/ControlGeometry.h"

namespace {
constexpr int kCheckImageId = 141;
}

CCheckBoxBtn::CCheckBoxBtn() : m_fillBrush(::CreateSolidBrush(RGB(255, 255, 255))) {}

void CCheckBoxBtn::InitFontFromParent() {
    m_font.Reset(CreateFontFromParent(::GetParent(m_hwnd), 0, 0));
}

bool CCheckBoxBtn::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_MBUTTONDOWN:
        Invalidate(true);
        result = Default();
        return true;
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        result = DefaultThenRepaint(m_hwnd, Default());
        return true;
    default:
        return CDoubleBufferedControl::OnMessage(message, wParam, lParam, result);
    }
}

void CCheckBoxBtn::DoPaint(HDC dc) {
    const Rect client = ClientRect();
    FillControlBackground(dc, client, m_fillBrush.Get(), m_backImage, m_backSource);
    ::SetBkMode(dc, TRANSPARENT);
    if (EnsurePng(kCheckImageId, m_checkImage)) {
        const CheckBoxLayout layout = LayOutCheckBox(client, m_scale, GetCheck());
        {
            Gdiplus::Graphics graphics(dc);
            graphics.SetPageUnit(Gdiplus::UnitPixel);
            DrawImagePart(graphics, m_checkImage->Get(), layout.box, Rect::FromSize(layout.sourceX, 0, 16, 16));
        }
        CSelectObject font(dc, m_font.Get());
        const std::wstring text = WindowText();
        ::SetTextColor(dc, m_textColour);
        RECT textRect = ToRECT(layout.text);
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_VCENTER);
    }
    DrawFocusCue(m_hwnd, dc, ToRECT(client));
}
