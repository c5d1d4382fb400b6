// Page base.
#include "ui/PageDlg.h"

#include "base/WindowMessages.h"
#include "ui/Prompts.h"

CPageDlg::CPageDlg(int templateId, HWND parent, int backgroundId) : CContentDlg(templateId, parent, backgroundId) {}

CPageDlg::~CPageDlg() = default;

void CPageDlg::WaitForWorker(std::wstring_view text, CExecutePromptDlg::StopHandler stop,
                             std::wstring_view stopQuestion) {
    RunProgressWindow(m_progress, m_hwnd, m_scale, text, stop, stopQuestion);
}

bool CPageDlg::IsWaiting() const {
    return m_progress && m_progress->IsWindow();
}

bool CPageDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == kMsgWorkFinished) {
        CloseProgressWindow(m_progress);
        result = 1;
        return true;
    }
    if (message == WorkResultMessage()) {
        OnWorkResult(wParam);
        result = 1;
        return true;
    }
    return CContentDlg::OnMessage(message, wParam, lParam, result);
}

void CPageDlg::OnDestroy() {
    CContentDlg::OnDestroy();
    m_progress.reset();
}
