// Progress window frame.
#include "ui/ExecutePromptDlg.h"

#include "console/WorkerReport.h"
#include "resources/resource.h"
#include "ui/ExecutePromptChildDlg.h"
#include "ui/Prompts.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/PromptLayout.h"

CExecutePromptDlg::CExecutePromptDlg(HWND owner) : CSkinnedDialog(IDD_EXECUTE_PROMPT, owner) {}

CExecutePromptDlg::~CExecutePromptDlg() = default;

int CExecutePromptDlg::FramePictureId() const {
    return IDP_PROGRESS_FRAME;
}

BOOL CExecutePromptDlg::OnInitDialog() {
    const Size size = ProgressFrameSize(m_scale);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowLongW(m_hwnd, GWL_EXSTYLE, ::GetWindowLongW(m_hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (EnsurePng(FramePictureId(), m_background)) {
        PushLayeredPicture(m_hwnd, m_background->Get(), size, true);
    }
    // Without its picture the frame stays invisible; the content still shows the waiting text, and 0x5F5 ends
    // the dialog as always.
    m_content = std::make_unique<CExecutePromptChildDlg>();
    m_content->SetScale(m_scale);
    m_content->SetText(m_text);
    if (m_content->Create(IDD_EXECUTE_PROMPT_CHILD, m_hwnd)) {
        m_content->MoveWindow(ProgressContentRect(WindowRect(), m_scale));
        m_content->ShowWindow(SW_SHOW);
        KeepAbove(m_content->Hwnd());
    } else {
        m_content.reset();
    }
    return TRUE;
}

bool CExecutePromptDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == kMsgWorkFinished) {
        if (m_content) {
            m_content->StopAnimation();
        }
        OnOK();
        result = 0;
        return true;
    }
    return CSkinnedDialog::OnMessage(message, wParam, lParam, result);
}

bool CExecutePromptDlg::OnClose() {
    if (m_stop == nullptr || m_asking) {
        return true;
    }
    m_asking = true;
    const bool stop = AskYesNo(m_hwnd, m_scale, m_stopQuestion);
    m_asking = false;
    // The work may have ended while the question was up; a stop then changes nothing.
    if (stop && m_hwnd != nullptr) {
        m_stop();
    }
    return true;
}

void CExecutePromptDlg::OnMove(int, int) {
    if (m_frameMovesContent && m_content && m_content->IsWindow()) {
        m_content->MoveWindow(ProgressContentFollowRect(WindowRect(), m_scale));
    }
}

void CExecutePromptDlg::OnDestroy() {
    m_background.reset();
    if (m_content) {
        m_content->DestroyWindow();
        m_content.reset();
    }
}
