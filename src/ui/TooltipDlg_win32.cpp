// Agreement text window frame.
#include "ui/TooltipDlg.h"

#include "resources/resource.h"
#include "ui/TooltipChildDlg.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/TooltipLayout.h"

CTooltipDlg::CTooltipDlg() : CSkinnedDialog(IDD_TOOLTIP, nullptr) {}

CTooltipDlg::~CTooltipDlg() = default;

int CTooltipDlg::FramePictureId() const {
    return IDP_TOOLTIP_BALLOON;
}

BOOL CTooltipDlg::OnInitDialog() {
    const Rect frame = TooltipFrameRect(WindowRect(), m_scale);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, frame.Width(), frame.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowLongW(m_hwnd, GWL_EXSTYLE, ::GetWindowLongW(m_hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (!EnsurePng(FramePictureId(), m_background) ||
        !PushLayeredPicture(m_hwnd, m_background->Get(), {frame.Width(), frame.Height()}, false)) {
        // No balloon, no content: the main window shows and hides an empty frame, which is harmless.
        return TRUE;
    }
    if (!CTooltipChildDlg::LoadTextBoxClass()) {
        return TRUE;
    }
    m_content = std::make_unique<CTooltipChildDlg>(*this);
    m_content->SetScale(m_scale);
    if (!m_content->Create(IDD_TOOLTIP_CHILD, m_hwnd)) {
        m_content.reset();
        return TRUE;
    }
    m_content->MoveWindow(TooltipContentRect(WindowRect(), m_scale));
    // The frame is created hidden; the content appears with it, never on its own.
    ShowContent(IsVisible());
    KeepAbove(m_content->Hwnd());
    m_content->LayOut();
    return TRUE;
}

void CTooltipDlg::ShowContent(bool show) {
    if (m_content && m_content->IsWindow()) {
        m_content->ShowWindow(show ? SW_SHOW : SW_HIDE);
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

void CTooltipDlg::OnMove(int, int) {
    if (m_frameMovesContent && m_content && m_content->IsWindow()) {
        m_content->MoveWindow(TooltipContentRect(WindowRect(), m_scale));
    }
}

void CTooltipDlg::OnDestroy() {
    m_background.reset();
    if (m_content) {
        m_content->DestroyWindow();
        m_content.reset();
    }
}
