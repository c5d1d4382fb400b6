// An automatic check box painted from the box pictures of PNG 141 (empty box at x 0, ticked box at x 16) and its
// window text, over the part of the parent's background it covers.
#pragma once

#include "framework/GdiObjects.h"
#include "ui/controls/DoubleBufferedControl.h"
#include "ui/controls/PngImage.h"

class CCheckBoxBtn : public CDoubleBufferedControl<CButton> {
public:
    CCheckBoxBtn();

    void SetBackImage(Gdiplus::Image* image) { m_backImage = image; }
    void SetBackSourceRect(int left, int top, int right, int bottom) { m_backSource = {left, top, right, bottom}; }
    void InitFontFromParent();
    void SetTextColor(COLORREF colour) { m_textColour = colour; }
    void SetScale(float scale) { m_scale = scale; }
    [[nodiscard]] float Scale() const { return m_scale; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DoPaint(HDC dc) override;

private:
    PngSlot m_checkImage;
    CBrushHandle m_fillBrush;
    CFontHandle m_font;
    COLORREF m_textColour = RGB(0, 0, 0);
    Gdiplus::Image* m_backImage = nullptr;
    Rect m_backSource;
    float m_scale = 1.0f;
};
