// Image button with four pictures or a four-frame strip.
#include "ui/controls/ImageButton.h"

#include "ui/controls/PngButton.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/ControlGeometry.h"

CImageButton::CImageButton()
    : CTrackedButton(ButtonStateTracker::PointRule::InsideOnly), m_fillBrush(::CreateSolidBrush(RGB(255, 255, 255))) {}

void CImageButton::SetStateImages(int normal, int hover, int pressed, int disabled) {
    m_strip = false;
    const int ids[4] = {normal, hover, pressed, disabled};
    for (int i = 0; i < 4; ++i) {
        CPngImage::Load(ids[i], m_images[i]);
    }
}

void CImageButton::SetStripImage(int id) {
    m_strip = true;
    CPngImage::Load(id, m_images[0]);
}

void CImageButton::ReleaseImages() {
    for (PngSlot& slot : m_images) {
        slot.reset();
    }
}

bool CImageButton::AllSlotsFilled() const {
    for (const PngSlot& slot : m_images) {
        if (!slot) {
            return false;
        }
    }
    return true;
}

bool CImageButton::IsPointerInHotArea() const {
    POINT cursor{};
    if (m_hwnd == nullptr || !::GetCursorPos(&cursor)) {
        return false;
    }
    ::ScreenToClient(m_hwnd, &cursor);
    return HotArea(ClientRect(), m_hotMargins).Contains({cursor.x, cursor.y});
}

bool CImageButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_ENABLE:
        result = Default();
        Invalidate(true);
        return true;
    case WM_ERASEBKGND:
        PaintPicture(reinterpret_cast<HDC>(wParam));
        result = 1;
        return true;
    default:
        return CTrackedButton::OnMessage(message, wParam, lParam, result);
    }
}

bool CImageButton::DrawItem(const DRAWITEMSTRUCT& item) {
    // In strip mode the picture comes from the background erase alone.
    if (!m_strip && AllSlotsFilled()) {
        PaintPicture(item.hDC);
    }
    return true;
}

void CImageButton::PaintPicture(HDC target) {
    m_lastClient = ClientRect();
    const Rect& client = m_lastClient;
    CMemoryDc memory(target, client.Width(), client.Height());
    if (!memory.Valid()) {
        return;
    }
    const RECT fill = ToRECT(client);
    ::FillRect(memory.Dc(), &fill, m_fillBrush.Get());
    {
        Gdiplus::Graphics graphics(memory.Dc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        graphics.SetPageUnit(Gdiplus::UnitPixel);
        if (m_backImage != nullptr) {
            DrawImagePart(graphics, m_backImage, client, m_backSource);
        }
        const bool enabled = IsEnabled();
        if (m_strip) {
            if (m_images[0]) {
                Gdiplus::Image* strip = m_images[0]->Get();
                DrawImagePart(graphics, strip, client, StripFrameRect(ImageSize(strip), m_tracker.State(), enabled));
            }
        } else if (const PngSlot& slot = m_images[StateImageIndex(m_tracker.State(), enabled)]) {
            DrawImageWhole(graphics, slot->Get(), client);
        }
    }
    DrawFocusCue(m_hwnd, memory.Dc(), ToRECT(client));
    memory.CopyTo(target);
}
