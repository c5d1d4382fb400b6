// Content window base.
#include "ui/ContentDlg.h"

#include "ui/FramePopupDlg.h"
#include "ui/controls/SkinPainting.h"

CContentDlg::CContentDlg(int templateId, HWND parent, int backgroundId, CFramePopupDlg* frame)
    : CSkinnedDialog(templateId, parent), m_backgroundId(backgroundId), m_frame(frame) {}

bool CContentDlg::EnsureBackground() {
    return EnsurePng(m_backgroundId, m_background);
}

Gdiplus::Image* CContentDlg::Background() const {
    return m_background ? m_background->Get() : nullptr;
}

Size CContentDlg::BackgroundPixelSize() const {
    return m_background ? m_background->PixelSize() : Size{};
}

void CContentDlg::LayOutControls() {
    SetUpControls();
    PlaceControls();
    m_laidOut = true;
}

HWND CContentDlg::FrameWindow() const {
    return m_frame != nullptr ? m_frame->Hwnd() : nullptr;
}

void CContentDlg::OnSize(UINT, int, int) {
    if (m_laidOut) {
        PlaceControls();
    }
}

void CContentDlg::OnMove(int, int) {
    if (m_dragging && m_frame != nullptr) {
        m_frame->FollowContent(WindowRect());
    }
}

bool CContentDlg::OnNcHitTest(Point screen, LRESULT& hit) {
    const std::optional<Rect> strip = DragStrip(ClientRectOnScreen());
    if (!strip) {
        return CSkinnedDialog::OnNcHitTest(screen, hit);
    }
    if (strip->Contains(screen)) {
        m_dragging = true;
        hit = HTCAPTION;
    } else {
        m_dragging = false;
        hit = Default();
    }
    return true;
}

bool CContentDlg::OnEraseBackground(HDC dc) {
    if (EnsureBackground()) {
        PaintBackgroundPicture(dc, ClientRect(), Background());
    }
    return true;
}

void CContentDlg::OnDestroy() {
    m_background.reset();
}
