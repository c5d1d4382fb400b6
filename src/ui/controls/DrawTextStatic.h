// A static text painted in one of two colours (normal, or hover while the pointer is over it, which makes a
// link of it), over a background colour or the part of the parent's background it covers.
#pragma once

#include "framework/GdiObjects.h"
#include "framework/Gdiplus.h"
#include "ui/controls/DoubleBufferedControl.h"

class CDrawTextStatic : public CDoubleBufferedControl<CStatic> {
public:
    // The font is the parent's, taller by heightIncrease and with `weight` when the increase is not 0.
    void CreateFontFromParent(int heightIncrease, int weight);
    void SetAlignment(int mode) { m_alignment = mode; }
    void SetTextColors(COLORREF normal, COLORREF hover) {
        m_normalColour = normal;
        m_hoverColour = hover;
    }
    // Takes effect only before the first paint, which makes the background brush.
    void SetBackColor(COLORREF colour) { m_backColour = colour; }
    void SetBackImage(Gdiplus::Image* image) { m_backImage = image; }
    void SetBackSourceRect(int left, int top, int right, int bottom) { m_backSource = {left, top, right, bottom}; }
    // Hover = the screen point lies in the control's window rectangle; repaints only when that changes.
    void UpdateHover(int x, int y);
    [[nodiscard]] bool Hover() const { return m_hover; }
    // A link takes the keyboard focus by Tab (its template gives it WS_TABSTOP), shows the focus cue, and
    // answers Space and Enter with STN_CLICKED to its parent, as a click does.
    void MakeKeyboardLink() { m_keyboardLink = true; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DoPaint(HDC dc) override;

private:
    bool OnLinkMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    CBrushHandle m_backBrush;
    CFontHandle m_font;
    COLORREF m_normalColour = RGB(0, 0, 0);
    COLORREF m_hoverColour = RGB(0, 0, 255);
    COLORREF m_backColour = RGB(255, 255, 255);
    bool m_hover = false;
    int m_alignment = 0;
    bool m_keyboardLink = false;
    Gdiplus::Image* m_backImage = nullptr;
    Rect m_backSource;
};
