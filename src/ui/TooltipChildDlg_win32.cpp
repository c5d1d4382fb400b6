// Agreement text window content.
#include "ui/TooltipChildDlg.h"

#include "console/WindowsConsole.h"
#include "resources/resource.h"
#include "ui/AgreementText.h"
#include "ui/TooltipDlg.h"
#include "ui/controls/SkinPainting.h"
#include "ui/controls/SkinScrollWnd.h"
#include "ui/layout/TooltipLayout.h"

namespace {

constexpr wchar_t kTextBoxClass[] = L"RichEdit20W";

bool TextBoxClassExists() {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    return ::GetClassInfoExW(nullptr, kTextBoxClass, &info) != FALSE;
}

} // namespace

// Not dragged: the frame always leads, so the content names no frame to follow it.
CTooltipChildDlg::CTooltipChildDlg(CTooltipDlg& frame)
    : CContentDlg(IDD_TOOLTIP_CHILD, nullptr, IDP_TOOLTIP_BALLOON), m_frame(frame) {}

bool CTooltipChildDlg::LoadTextBoxClass() {
    if (TextBoxClassExists()) {
        return true;
    }
    // Rich Edit 2.0 registers the class; newer systems also register it from the Rich Edit 4.1 library. The
    // library stays loaded for the life of the process, as the text box may live until the program ends.
    for (const wchar_t* library : {L"riched20.dll", L"msftedit.dll"}) {
        if (LoadSystemLibrary(library) != nullptr && TextBoxClassExists()) {
            return true;
        }
    }
    return false;
}

BOOL CTooltipChildDlg::OnInitDialog() {
    m_textBox = GetDlgItem(IDC_AGREEMENT_TEXT);
    EnsureBackground();
    return TRUE;
}

void CTooltipChildDlg::LayOut() {
    if (IsLaidOut() || m_textBox == nullptr) {
        return;
    }
    LayOutControls();
}

void CTooltipChildDlg::SetUpControls() {
    const Rect box = TooltipTextBoxRect(ClientRect(), m_scale);
    ::MoveWindow(m_textBox, box.left, box.top, box.Width(), box.Height(), TRUE);

    m_scrollSkin.Reset(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SCROLL_SKIN)));
    if (m_scrollSkin) {
        // Without the skin the box keeps its own scroll bar.
        SkinWndScroll(m_textBox, m_scrollSkin.Get(), m_scale, 0);
    }
    ::SetWindowTextW(m_textBox, BuildAgreementText().c_str());
}

bool CTooltipChildDlg::OnClose() {
    // A system close (Alt+F4) on the text hides the whole balloon, not only its content.
    m_frame.ShowPair(false);
    return true;
}

void CTooltipChildDlg::OnEscapeKey() {
    m_frame.ShowPair(false);
}

void CTooltipChildDlg::OnDestroy() {
    CContentDlg::OnDestroy();
    m_scrollSkin.Reset();
}

bool CTooltipChildDlg::OnEraseBackground(HDC dc) {
    if (!EnsureBackground()) {
        return true;
    }
    const Rect source = TooltipBackgroundSource(BackgroundPixelSize());
    if (source.Width() > 0 && source.Height() > 0) {
        PaintBackgroundPicture(dc, ClientRect(), Background(), source);
    }
    return true;
}
