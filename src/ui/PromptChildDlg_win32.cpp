// Message prompt content.
#include "ui/PromptChildDlg.h"

#include "base/WindowMessages.h"
#include "resources/resource.h"
#include "ui/ControlSetUp.h"
#include "ui/PromptDlg.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/PromptLayout.h"

CPromptChildDlg::CPromptChildDlg(CPromptDlg& frame)
    : CContentDlg(IDD_PROMPT_CHILD, nullptr, IDP_PROMPT_BACKGROUND, &frame) {}

void CPromptChildDlg::BindControls() {
    Bind(m_close, IDC_CLOSE);
    Bind(m_first, IDC_PROMPT_FIRST);
    Bind(m_second, IDC_PROMPT_SECOND);
    Bind(m_label, IDC_PROMPT_TEXT);
}

BOOL CPromptChildDlg::OnInitDialog() {
    // A missing picture only leaves the background unpainted: the text and the buttons are laid out anyway.
    EnsureBackground();
    LayOutControls();
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
    ::SendMessageW(FrameWindow(), WM_CLOSE, 0, 0);
}

void CPromptChildDlg::SetUpControls() {
    Gdiplus::Image* back = Background();
    const PromptKindLook look = PromptLookOfKind(m_kind);
    m_close.SetScale(m_scale);
    m_close.SetBackImage(back);
    SetBackSource(m_close, kPromptCloseBackSource);
    SetStateImages(m_close, kPromptCloseImages);
    m_first.SetBackImage(back);
    SetBackSource(m_first, kPromptFirstBackSource);
    SetStateImages(m_first, look.firstImages);
    m_second.SetBackImage(back);
    SetBackSource(m_second, kPromptSecondBackSource);
    SetStateImages(m_second, look.secondImages);
    m_first.ChangeWindowText(look.firstText);
    m_second.ChangeWindowText(look.secondText);
    m_label.CreateFontFromParent(0, 0);
    m_label.ChangeWindowText(m_text);
}

void CPromptChildDlg::PlaceControls() {
    const PromptChildLayout layout = LayOutPromptChild(ClientRect(), m_scale, m_kind);
    m_close.MoveWindow(layout.close);
    m_first.MoveWindow(layout.first);
    m_second.MoveWindow(layout.second);
    m_first.ShowWindow(SW_SHOW);
    m_second.ShowWindow(layout.secondShown ? SW_SHOW : SW_HIDE);
    m_label.MoveWindow(layout.text);
}

std::optional<Rect> CPromptChildDlg::DragStrip(const Rect& clientOnScreen) const {
    return PromptDragStrip(clientOnScreen);
}

bool CPromptChildDlg::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED) {
        HWND frame = FrameWindow();
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
    return CContentDlg::OnCommand(id, code, control);
}

bool CPromptChildDlg::OnClose() {
    // A system close (Alt+F4) answers as the close cross does; hidden on its own, the content would leave the
    // frame's empty picture running its modal loop.
    ::SendMessageW(FrameWindow(), WM_CLOSE, 0, 0);
    return true;
}

void CPromptChildDlg::OnDestroy() {
    m_close.ReleaseImages();
    m_first.ReleaseImages();
    m_second.ReleaseImages();
    CContentDlg::OnDestroy();
}

bool CPromptChildDlg::OnEraseBackground(HDC dc) {
    if (EnsureBackground()) {
        Gdiplus::Graphics graphics(dc);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        graphics.SetPageUnit(Gdiplus::UnitPixel);
        DrawImageWhole(graphics, Background(), ClientRect());
    }
    return true;
}
