// Progress window content.
#include "ui/ExecutePromptChildDlg.h"

#include "framework/GdiObjects.h"
#include "resources/resource.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/PromptLayout.h"

CExecutePromptChildDlg::CExecutePromptChildDlg() : CSkinnedDialog(IDD_EXECUTE_PROMPT_CHILD, nullptr) {}

void CExecutePromptChildDlg::BindControls() {
    Bind(m_label, IDC_PROGRESS_TEXT);
}

BOOL CExecutePromptChildDlg::OnInitDialog() {
    // A missing picture only leaves the background unpainted: the waiting text is laid out anyway.
    EnsurePng(IDP_PROGRESS_BACKGROUND, m_background);
    LayOut(true);
    m_laidOut = 1;
    return TRUE;
}

void CExecutePromptChildDlg::LayOut(bool first) {
    const Rect client = ClientRect();
    m_label.ChangeWindowText(ProgressLabelText(m_text));
    m_label.SetAlignment(kProgressLabelAlignment);
    m_label.SetTextColor(RGB(255, 255, 255));
    const Rect label = ProgressLabelRect(client, m_scale);
    if (first) {
        m_label.SetBackImage(m_background ? m_background->Get() : nullptr);
        m_label.InitFontFromParent();
        m_label.StartAnimation();
    }
    m_label.SetBackSourceRect(kProgressLabelBackSource.left, kProgressLabelBackSource.top,
                              kProgressLabelBackSource.right, kProgressLabelBackSource.bottom);
    m_label.MoveWindow(label);
}

bool CExecutePromptChildDlg::OnClose() {
    ::PostMessageW(::GetWindow(m_hwnd, GW_OWNER), WM_CLOSE, 0, 0);
    return true;
}

void CExecutePromptChildDlg::OnEscapeKey() {
    OnClose();
}

void CExecutePromptChildDlg::OnSize(UINT, int, int) {
    if (m_laidOut) {
        LayOut(false);
    }
}

void CExecutePromptChildDlg::OnDestroy() {
    m_label.ResetAnimation();
    m_background.reset();
}

bool CExecutePromptChildDlg::OnEraseBackground(HDC dc) {
    if (!EnsurePng(IDP_PROGRESS_BACKGROUND, m_background)) {
        return true;
    }
    PaintBackgroundPicture(dc, ClientRect(), m_background->Get());
    return true;
}
