// Progress window frame.
#include "ui/ExecutePromptDlg.h"

#include "base/WindowMessages.h"
#include "resources/resource.h"
#include "ui/ExecutePromptChildDlg.h"
#include "ui/Prompts.h"
#include "ui/layout/PromptLayout.h"

CExecutePromptDlg::CExecutePromptDlg(HWND owner) : CFramePopupDlg(IDD_EXECUTE_PROMPT, owner) {}

CExecutePromptDlg::~CExecutePromptDlg() = default;

int CExecutePromptDlg::FramePictureId() const {
    return IDP_PROGRESS_FRAME;
}

Rect CExecutePromptDlg::ContentRect(const Rect& frameWindow) const {
    return ProgressContentRect(frameWindow, m_scale);
}

Rect CExecutePromptDlg::ContentFollowRect(const Rect& frameWindow) const {
    return ProgressContentFollowRect(frameWindow, m_scale);
}

BOOL CExecutePromptDlg::OnInitDialog() {
    const Size size = ProgressFrameSize(m_scale);
    MakeLayered(size);
    PushFramePicture(size, true);
    // Without its picture the frame stays invisible; the content still shows the waiting text, and 0x5F5 ends
    // the dialog as always.
    auto content = std::make_unique<CExecutePromptChildDlg>();
    content->SetScale(m_scale);
    content->SetText(m_text);
    if (AttachContent(std::move(content), IDD_EXECUTE_PROMPT_CHILD)) {
        PlaceContent(true);
    }
    return TRUE;
}

bool CExecutePromptDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == kMsgWorkFinished) {
        if (auto* content = ContentAs<CExecutePromptChildDlg>()) {
            content->StopAnimation();
        }
        OnOK();
        result = 0;
        return true;
    }
    return CFramePopupDlg::OnMessage(message, wParam, lParam, result);
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
