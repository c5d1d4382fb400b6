// The agreement text window's frame: a modeless layered window showing the speech-balloon picture (pointer on its
// bottom edge), carrying the content window (CTooltipChildDlg) with the scrollable agreement text over its inner
// area. The main window creates it on the first click on the agreement link and then only moves, shows and hides
// it:
//
//   if (!m_agreement) {
//       m_agreement = std::make_unique<CTooltipDlg>();
//       m_agreement->SetScale(m_scale);
//       m_agreement->Create(IDD_TOOLTIP, m_hwnd);          // hidden until shown
//   }
//   m_agreement->PlaceOver(WindowRect());                  // over the agreement link of the main window
//   m_agreement->Toggle();                                 // shown <-> hidden, frame and content together
//   ...
//   if (m_agreement) m_agreement->ShowPair(false);         // a click anywhere else
#pragma once

#include "ui/FramePopupDlg.h"

class CTooltipChildDlg;

// The frame always leads: the agreement window cannot be dragged.
class CTooltipDlg : public CFramePopupDlg {
public:
    CTooltipDlg();
    ~CTooltipDlg() override;

    // Shows or hides the content window (when it exists); ShowPair does the same for the frame and the content.
    void ShowContent(bool show);
    void ShowPair(bool show);
    // Hides the pair when it is shown, shows it otherwise; returns whether it is shown now.
    bool Toggle();
    bool IsShown() const { return IsVisible(); }
    // Moves the balloon to its place over a main window whose window rectangle (screen coordinates) is given.
    void PlaceOver(const Rect& mainWindow);

    // The content window, or nullptr when the balloon picture or the text box could not be made.
    CTooltipChildDlg* Content() const;

protected:
    int FramePictureId() const override;
    Rect ContentRect(const Rect& frameWindow) const override;

    BOOL OnInitDialog() override;
    bool OnClose() override;
};
