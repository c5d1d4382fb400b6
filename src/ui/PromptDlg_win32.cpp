// Message prompt frame.
#include "ui/PromptDlg.h"

#include "resources/resource.h"
#include "ui/PromptChildDlg.h"
#include "ui/layout/PromptLayout.h"

CPromptDlg::CPromptDlg(HWND owner) : CFramePopupDlg(IDD_PROMPT, owner) {}

CPromptDlg::~CPromptDlg() = default;

int CPromptDlg::FramePictureId() const {
    return IDP_PROMPT_FRAME;
}

Rect CPromptDlg::ContentRect(const Rect& frameWindow) const {
    return PromptContentRect(frameWindow, m_scale);
}

Rect CPromptDlg::ContentFollowRect(const Rect& frameWindow) const {
    return PromptContentFollowRect(frameWindow, m_scale);
}

Rect CPromptDlg::FrameFollowRect(const Rect& contentWindow) const {
    return PromptFrameFollowRect(contentWindow, m_scale);
}

BOOL CPromptDlg::OnInitDialog() {
    const Size size = PromptFrameSize(m_scale);
    MakeLayered(size);
    PushFramePicture(size, false);
    // Without its picture the frame stays invisible, but the content still shows the message and its buttons,
    // which are what ends the dialog.
    auto content = std::make_unique<CPromptChildDlg>(*this);
    content->SetScale(m_scale);
    content->SetText(m_text);
    content->SetKind(m_kind);
    if (!AttachContent(std::move(content), IDD_PROMPT_CHILD)) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    PlaceContent(true);
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
    return CFramePopupDlg::OnMessage(message, wParam, lParam, result);
}
