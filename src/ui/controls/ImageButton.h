// An owner-drawn button drawn from four PNG pictures or from one strip of four frames, over the part of its
// parent's background it covers; it can ignore clicks on its transparent rim (the hot-area margins).
#pragma once

#include "framework/Control.h"
#include "framework/GdiObjects.h"
#include "ui/controls/PngButton.h"
#include "ui/controls/PngImage.h"
#include "ui/layout/ButtonStateTracker.h"

#include <array>

class CImageButton : public CTrackedButton {
public:
    CImageButton();

    void SetBackImage(Gdiplus::Image* image) { m_backImage = image; }
    void SetBackSourceRect(int left, int top, int right, int bottom) { m_backSource = {left, top, right, bottom}; }
    void SetStateImages(int normal, int hover, int pressed, int disabled);
    void SetStripImage(int id);
    void SetHotMargins(int left, int top, int right, int bottom) { m_hotMargins = {left, top, right, bottom}; }
    // Whether the mouse pointer lies, now, in the client area shrunk by the hot-area margins.
    [[nodiscard]] bool IsPointerInHotArea() const;
    void ReleaseImages();

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    void PaintPicture(HDC target);
    bool AllSlotsFilled() const;

    Gdiplus::Image* m_backImage = nullptr;
    Rect m_backSource;
    CBrushHandle m_fillBrush;
    Rect m_lastClient;
    std::array<PngSlot, 4> m_images;
    Margins m_hotMargins;
    bool m_strip = false;
};
