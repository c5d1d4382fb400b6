// A static text followed by 0 to 3 dots that advance once a second while the animation runs: the waiting text
// of the progress window.
#pragma once

#include "framework/GdiObjects.h"
#include "framework/Gdiplus.h"
#include "ui/controls/DoubleBufferedControl.h"

class CDrawStateInfoStatic : public CDoubleBufferedControl<CStatic> {
public:
    static constexpr UINT_PTR kAnimationTimer = 36;

    CDrawStateInfoStatic();

    void InitFontFromParent();
    void SetAlignment(int mode) { m_alignment = mode; }
    void SetTextColor(COLORREF colour);
    void SetBackImage(Gdiplus::Image* image) { m_backImage = image; }
    void SetBackSourceRect(int left, int top, int right, int bottom) { m_backSource = {left, top, right, bottom}; }
    void StartAnimation();
    void StopAnimation();
    // Stops the timer and forgets the dots without repainting (the window is going away).
    void ResetAnimation();
    [[nodiscard]] int Dots() const { return m_dots; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DoPaint(HDC dc) override;

private:
    CBrushHandle m_fillBrush;
    CFontHandle m_font;
    COLORREF m_textColour = RGB(0, 0, 0);
    int m_dots = 0;
    int m_alignment = 0;
    Gdiplus::Image* m_backImage = nullptr;
    Rect m_backSource;
};
