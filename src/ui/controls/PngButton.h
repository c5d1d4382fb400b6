// An owner-drawn button that shows one of four PNG pictures (normal, hover, pressed, disabled) over the part of
// its parent's background it covers. Close crosses, minimise buttons and the prompt's buttons.
#pragma once

#include "framework/Control.h"
#include "framework/GdiObjects.h"
#include "ui/controls/PngImage.h"
#include "ui/layout/ButtonStateTracker.h"

#include <array>

// The mouse handling the picture buttons share: the tracker follows hover, press and release, and the face is
// repainted whenever it says the state changed.
class CTrackedButton : public CButton {
public:
    [[nodiscard]] int State() const { return m_tracker.State(); }
    // Whether the last press came from the keyboard (Space, or Enter through the dialog), not the mouse: a
    // keyboard press has no pointer position to check.
    [[nodiscard]] bool PressedByKeyboard() const { return m_pressedByKeyboard; }

protected:
    explicit CTrackedButton(ButtonStateTracker::PointRule rule) : m_tracker(rule) {}
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    ButtonStateTracker m_tracker;

private:
    bool m_pressedByKeyboard = false;
};

class CPngButton : public CTrackedButton {
public:
    CPngButton();

    void SetBackImage(Gdiplus::Image* image) { m_backImage = image; }
    void SetBackSourceRect(int left, int top, int right, int bottom) { m_backSource = {left, top, right, bottom}; }
    // A picture whose resource cannot be loaded leaves its slot as it was.
    void SetStateImages(int normal, int hover, int pressed, int disabled);
    void ReleaseImages();
    void SetScale(float scale) { m_scale = scale; }
    [[nodiscard]] float Scale() const { return m_scale; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    Gdiplus::Image* m_backImage = nullptr;
    Rect m_backSource;
    CBrushHandle m_fillBrush;
    std::array<PngSlot, 4> m_images;
    float m_scale = 1.0f;
};

// Shared by the image buttons: asks for WM_MOUSEHOVER (after 10 ms) and WM_MOUSELEAVE.
void RequestHoverAndLeave(HWND hwnd);
[[nodiscard]] bool ClientPointInside(HWND hwnd, LPARAM lParam);
