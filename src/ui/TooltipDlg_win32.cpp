// Agreement text window frame.
#include "ui/TooltipDlg.h"

#include "resources/resource.h"
#include "ui/TooltipChildDlg.h"
#include "ui/layout/TooltipLayout.h"

CTooltipDlg::CTooltipDlg() : CFramePopupDlg(IDD_TOOLTIP, nullptr) {}

CTooltipDlg::~CTooltipDlg() = default;

CTooltipChildDlg* CTooltipDlg::Content() const {
    return ContentAs<CTooltipChildDlg>();
}

int CTooltipDlg::FramePictureId() const {
    return IDP_TOOLTIP_BALLOON;
}

Rect CTooltipDlg::ContentRect(const Rect& frameWindow) const {
    return TooltipContentRect(frameWindow, m_scale);
}

BOOL CTooltipDlg::OnInitDialog() {
    const Rect frame = TooltipFrameRect(WindowRect(), m_scale);
    MakeLayered({frame.Width(), frame.Height()});
    if (!PushFramePicture({frame.Width(), frame.Height()}, false)) {
        // No balloon, no content: the main window shows and hides an empty frame, which is harmless.
        return TRUE;
    }
    if (!CTooltipChildDlg::LoadTextBoxClass()) {
        return TRUE;
    }
    auto content = std::make_unique<CTooltipChildDlg>(*this);
    content->SetScale(m_scale);
    if (!AttachContent(std::move(content), IDD_TOOLTIP_CHILD)) {
        return TRUE;
    }
    // The frame is created hidden; the content appears with it, never on its own.
    PlaceContent(IsVisible());
    Content()->LayOut();
    return TRUE;
}

void CTooltipDlg::ShowContent(bool show) {
    if (HasContentWindow()) {
        ContentWindow()->ShowWindow(show ? SW_SHOW : SW_HIDE);
    }
}

void CTooltipDlg::ShowPair(bool show) {
    if (m_hwnd == nullptr) {
        return;
    }
    ShowWindow(show ? SW_SHOW : SW_HIDE);
    ShowContent(show);
}

bool CTooltipDlg::Toggle() {
    ShowPair(!IsShown());
    return IsShown();
}

void CTooltipDlg::PlaceOver(const Rect& mainWindow) {
    if (m_hwnd != nullptr) {
        MoveWindow(AgreementWindowRect(mainWindow, m_scale));
    }
}

bool CTooltipDlg::OnClose() {
    // A system close (Alt+F4) only hides the pair, as a click elsewhere does; the main window owns the window.
    ShowPair(false);
    return true;
}
