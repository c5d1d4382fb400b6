// An automatic check box painted from the box pictures of PNG 141 (empty box at x 0, ticked box at x 16) and its
// window text, over the part of the parent's background it covers.
#pragma once

#include "framework/Control.h"
#include "framework/GdiObjects.h"
#include "ui/controls/PngImage.h"

#include <memory>

class CCheckBoxBtn : public CButton {
public:
    CCheckBoxBtn();

    void SetBackImage(Gdiplus::Image* image) { m_backImage = image; }
    void SetBackSourceRect(int left, int top, int right, int bottom) { m_backSource = {left, top, right, bottom}; }
    void InitFontFromParent();
    void SetTextColor(COLORREF colour) { m_textColour = colour; }
    void SetScale(float scale) { m_scale = scale; }
    float Scale() const { return m_scale; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Paint();

    PngSlot m_checkImage;
    std::unique_ptr<CMemoryDc> m_memory; // kept between paints, remade when the control's size changes
    CBrushHandle m_fillBrush;
    Rect m_client;
    CFontHandle m_font;
    COLORREF m_textColour = RGB(0, 0, 0);
    Gdiplus::Image* m_backImage = nullptr;
    Rect m_backSource;
    float m_scale = 1.0f;
};

// Default processing of a message after which the standard control draws itself directly; the skinned control
// then paints over it at once.
LRESULT DefaultThenRepaint(HWND hwnd, LRESULT defaultResult);
