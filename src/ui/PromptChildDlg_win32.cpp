// Message prompt content.
#include "ui/PromptChildDlg.h"

#include "resources/resource.h"
#include "ui/PromptDlg.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/PromptLayout.h"

CPromptChildDlg::CPromptChildDlg(CPromptDlg& frame) : CSkinnedDialog(IDD_PROMPT_CHILD, nullptr), m_frame(frame) {}

void CPromptChildDlg::BindControls() {
    Bind(m_close, IDC_CLOSE);
    Bind(m_first, IDC_PROMPT_FIRST);
    Bind(m_second, IDC_PROMPT_SECOND);
    Bind(m_label, IDC_PROMPT_TEXT);
}

BOOL CPromptChildDlg::OnInitDialog() {
    // A missing picture only leaves the background unpainted: the text and the buttons are laid out anyway.
    EnsurePng(IDP_PROMPT_BACKGROUND, m_background);
    LayOut(true);
    m_laidOut = 1;
    if (::GetWindowLongW(m_second.Hwnd(), GWL_STYLE) & WS_VISIBLE) {
        // A question opens on its second answer (否): a stray Space or Enter must never say 是.
        ::SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_second.Hwnd()), TRUE);
        FocusWhenActive(m_second.Hwnd());
        return FALSE;
    }
    return TRUE;
}

void CPromptChildDlg::OnEscapeKey() {
    // Esc answers as the close cross: 否 for a question.
    ::SendMessageW(m_frame.Hwnd(), WM_CLOSE, 0, 0);
}

void CPromptChildDlg::LayOut(bool first) {
    const PromptChildLayout layout = LayOutPromptChild(ClientRect(), m_scale, m_kind);
    if (first) {
        Gdiplus::Image* back = m_background ? m_background->Get() : nullptr;
        const PromptKindLook look = PromptLookOfKind(m_kind);
        m_close.SetScale(m_scale);
        m_close.SetBackImage(back);
        m_close.SetBackSourceRect(kPromptCloseBackSource.left, kPromptCloseBackSource.top, kPromptCloseBackSource.right,
                                  kPromptCloseBackSource.bottom);
        m_close.SetStateImages(kPromptCloseImages[0], kPromptCloseImages[1], kPromptCloseImages[2],
                               kPromptCloseImages[3]);
        m_first.SetBackImage(back);
        m_first.SetBackSourceRect(kPromptFirstBackSource.left, kPromptFirstBackSource.top, kPromptFirstBackSource.right,
                                  kPromptFirstBackSource.bottom);
        m_first.SetStateImages(look.firstImages[0], look.firstImages[1], look.firstImages[2], look.firstImages[3]);
        m_second.SetBackImage(back);
        m_second.SetBackSourceRect(kPromptSecondBackSource.left, kPromptSecondBackSource.top,
                                   kPromptSecondBackSource.right, kPromptSecondBackSource.bottom);
        m_second.SetStateImages(look.secondImages[0], look.secondImages[1], look.secondImages[2], look.secondImages[3]);
        m_first.ChangeWindowText(look.firstText);
        m_second.ChangeWindowText(look.secondText);
        m_label.CreateFontFromParent(0, 0);
    }
    m_close.MoveWindow(layout.close);
    m_first.MoveWindow(layout.first);
    m_second.MoveWindow(layout.second);
    m_first.ShowWindow(SW_SHOW);
    m_second.ShowWindow(layout.secondShown ? SW_SHOW : SW_HIDE);
    m_label.MoveWindow(layout.text);
    m_label.ChangeWindowText(m_text);
}

bool CPromptChildDlg::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED) {
        HWND frame = m_frame.Hwnd();
        switch (id) {
        case IDC_CLOSE:
            ::SendMessageW(frame, WM_CLOSE, 0, 0);
            return true;
        case IDC_PROMPT_FIRST:
            ::SendMessageW(frame, kMsgPromptAnswer, 1, 0);
            return true;
        case IDC_PROMPT_SECOND:
            ::SendMessageW(frame, kMsgPromptAnswer, 2, 0);
            return true;
        default:
            break;
        }
    }
    return CSkinnedDialog::OnCommand(id, code, control);
}

bool CPromptChildDlg::OnClose() {
    // A system close (Alt+F4) answers as the close cross does; hidden on its own, the content would leave the
    // frame's empty picture running its modal loop.
    ::SendMessageW(m_frame.Hwnd(), WM_CLOSE, 0, 0);
    return true;
}

void CPromptChildDlg::OnSize(UINT, int, int) {
    if (m_laidOut) {
        LayOut(false);
    }
}

void CPromptChildDlg::OnMove(int, int) {
    if (m_dragging) {
        m_frame.FollowContent(WindowRect());
    }
}

void CPromptChildDlg::OnDestroy() {
    m_close.ReleaseImages();
    m_first.ReleaseImages();
    m_second.ReleaseImages();
    m_background.reset();
}

bool CPromptChildDlg::OnEraseBackground(HDC dc) {
    if (EnsurePng(IDP_PROMPT_BACKGROUND, m_background)) {
        Gdiplus::Graphics graphics(dc);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        graphics.SetPageUnit(Gdiplus::UnitPixel);
        DrawImageWhole(graphics, m_background->Get(), ClientRect());
    }
    return true;
}

bool CPromptChildDlg::OnNcHitTest(Point screen, LRESULT& hit) {
    if (PromptDragStrip(ClientRectOnScreen()).Contains(screen)) {
        m_dragging = 1;
        hit = HTCAPTION;
    } else {
        m_dragging = 0;
        hit = Default();
    }
    return true;
}
