// Frame pop-up base.
#include "ui/FramePopupDlg.h"

#include "ui/controls/SkinPainting.h"

CFramePopupDlg::CFramePopupDlg(int templateId, HWND owner) : CSkinnedDialog(templateId, owner) {}

CFramePopupDlg::~CFramePopupDlg() = default;

Rect CFramePopupDlg::FrameFollowRect(const Rect&) const {
    return WindowRect();
}

void CFramePopupDlg::FollowContent(const Rect& contentWindow) {
    LetContentLead();
    MoveWindow(FrameFollowRect(contentWindow));
}

void CFramePopupDlg::MakeLayered(Size size) {
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowLongW(m_hwnd, GWL_EXSTYLE, ::GetWindowLongW(m_hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
}

bool CFramePopupDlg::EnsureFramePicture() {
    return EnsurePng(FramePictureId(), m_picture);
}

bool CFramePopupDlg::PushFramePicture(Size size, bool highQuality) {
    return EnsureFramePicture() && PushLayeredPicture(m_hwnd, m_picture->Get(), size, highQuality);
}

bool CFramePopupDlg::AttachContent(std::unique_ptr<CSkinnedDialog> content, int templateId) {
    m_contentDialog = std::move(content);
    if (!m_contentDialog->Create(templateId, m_hwnd)) {
        m_contentDialog.reset();
        return false;
    }
    return true;
}

void CFramePopupDlg::PlaceContent(bool show) {
    m_contentDialog->MoveWindow(ContentRect(WindowRect()));
    m_contentDialog->ShowWindow(show ? SW_SHOW : SW_HIDE);
    KeepAbove(m_contentDialog->Hwnd());
}

void CFramePopupDlg::OnMove(int, int) {
    if (m_frameMovesContent && HasContentWindow()) {
        m_contentDialog->MoveWindow(ContentFollowRect(WindowRect()));
    }
}

void CFramePopupDlg::OnDestroy() {
    m_picture.reset();
    if (m_contentDialog) {
        m_contentDialog->DestroyWindow();
        m_contentDialog.reset();
    }
}
