// Progress window content.
#include "ui/ExecutePromptChildDlg.h"

#include "resources/resource.h"
#include "ui/ControlSetUp.h"
#include "ui/layout/PromptLayout.h"

CExecutePromptChildDlg::CExecutePromptChildDlg()
    : CContentDlg(IDD_EXECUTE_PROMPT_CHILD, nullptr, IDP_PROGRESS_BACKGROUND) {}

void CExecutePromptChildDlg::BindControls() {
    Bind(m_label, IDC_PROGRESS_TEXT);
}

BOOL CExecutePromptChildDlg::OnInitDialog() {
    // A missing picture only leaves the background unpainted: the waiting text is laid out anyway.
    EnsureBackground();
    LayOutControls();
    return TRUE;
}

void CExecutePromptChildDlg::SetUpControls() {
    m_label.ChangeWindowText(ProgressLabelText(m_text));
    m_label.SetAlignment(kProgressLabelAlignment);
    m_label.SetTextColor(RGB(255, 255, 255));
    m_label.SetBackImage(Background());
    SetBackSource(m_label, kProgressLabelBackSource);
    m_label.InitFontFromParent();
    m_label.StartAnimation();
}

void CExecutePromptChildDlg::PlaceControls() {
    m_label.MoveWindow(ProgressLabelRect(ClientRect(), m_scale));
}

bool CExecutePromptChildDlg::OnClose() {
    ::PostMessageW(::GetWindow(m_hwnd, GW_OWNER), WM_CLOSE, 0, 0);
    return true;
}

void CExecutePromptChildDlg::OnEscapeKey() {
    OnClose();
}

void CExecutePromptChildDlg::OnDestroy() {
    m_label.ResetAnimation();
    CContentDlg::OnDestroy();
}
