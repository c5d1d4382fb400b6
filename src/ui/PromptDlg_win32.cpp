// Message prompt frame.
#include "ui/PromptDlg.h"

#include "resources/resource.h"
#include "ui/PromptChildDlg.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/PromptLayout.h"

CPromptDlg::CPromptDlg(HWND owner) : CSkinnedDialog(IDD_PROMPT, owner) {}

CPromptDlg::~CPromptDlg() = default;

int CPromptDlg::FramePictureId() const {
    return IDP_PROMPT_FRAME;
}

BOOL CPromptDlg::OnInitDialog() {
    const Size size = PromptFrameSize(m_scale);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowLongW(m_hwnd, GWL_EXSTYLE, ::GetWindowLongW(m_hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (EnsurePng(FramePictureId(), m_background)) {
        PushLayeredPicture(m_hwnd, m_background->Get(), size, false);
    }
    // Without its picture the frame stays invisible, but the content still shows the message and its buttons,
    // which are what ends the dialog.
    m_content = std::make_unique<CPromptChildDlg>(*this);
    m_content->SetScale(m_scale);
    m_content->SetText(m_text);
    m_content->SetKind(m_kind);
    if (!m_content->Create(IDD_PROMPT_CHILD, m_hwnd)) {
        m_content.reset();
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_content->MoveWindow(PromptContentRect(WindowRect(), m_scale));
    m_content->ShowWindow(SW_SHOW);
    KeepAbove(m_content->Hwnd());
    return TRUE;
}

bool CPromptDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == kMsgPromptAnswer) {
        if (wParam == 1) {
            OnOK();
        } else {
            OnCancel();
        }
        result = 0;
        return true;
    }
    return CSkinnedDialog::OnMessage(message, wParam, lParam, result);
}

void CPromptDlg::OnMove(int, int) {
    if (m_frameMovesContent && m_content && m_content->IsWindow()) {
        m_content->MoveWindow(PromptContentFollowRect(WindowRect(), m_scale));
    }
}

void CPromptDlg::FollowContent(const Rect& contentWindow) {
    m_frameMovesContent = 0;
    MoveWindow(PromptFrameFollowRect(contentWindow, m_scale));
}

void CPromptDlg::OnDestroy() {
    m_background.reset();
    if (m_content) {
        m_content->DestroyWindow();
        m_content.reset();
    }
}
