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

CTooltipChildDlg::CTooltipChildDlg(CTooltipDlg& frame) : CSkinnedDialog(IDD_TOOLTIP_CHILD, nullptr), m_frame(frame) {}

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
    EnsurePng(IDP_TOOLTIP_BALLOON, m_background);
    return TRUE;
}

void CTooltipChildDlg::LayOut() {
    if (m_laidOut || m_textBox == nullptr) {
        return;
    }
    m_laidOut = 1;
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
    m_background.reset();
    m_scrollSkin.Reset();
}

bool CTooltipChildDlg::OnEraseBackground(HDC dc) {
    if (!EnsurePng(IDP_TOOLTIP_BALLOON, m_background)) {
        return true;
    }
    const Rect source = TooltipBackgroundSource(m_background->PixelSize());
    if (source.Width() > 0 && source.Height() > 0) {
        PaintBackgroundPicture(dc, ClientRect(), m_background->Get(), source);
    }
    return true;
}
