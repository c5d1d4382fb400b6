// The agreement text window's content: the balloon picture without its pointer, and the read-only rich-edit
// box with the agreement text, whose scroll bar is the skinned one.
#pragma once

#include "framework/GdiObjects.h"
#include "ui/ContentDlg.h"

class CTooltipDlg;

class CTooltipChildDlg : public CContentDlg {
public:
    explicit CTooltipChildDlg(CTooltipDlg& frame);

    // Makes sure the rich-edit window class of the text box exists (it lives in a system library the program
    // does not link). False when no library provides it: the content cannot be created then.
    static bool LoadTextBoxClass();

    // First and only layout, run by the frame once the content is in place: the text box inside the picture's
    // margin, its skinned scroll bar, and the agreement text.
    void LayOut();

    // The rich-edit box itself (after the layout its dialog id names the scroll-bar frame around it).
    HWND TextBox() const { return m_textBox; }

protected:
    BOOL OnInitDialog() override;
    // The text box inside the picture's margin, its skinned scroll bar, and the agreement text. Placed once: the
    // skin wraps the box in the scroll bar's frame, which takes its place among the dialog's controls.
    void SetUpControls() override;
    bool OnClose() override;
    // Esc closes the agreement window, as a click elsewhere does.
    void OnEscapeKey() override;
    void OnDestroy() override;
    bool OnEraseBackground(HDC dc) override;

private:
    CTooltipDlg& m_frame;
    HWND m_textBox = nullptr;
    CBitmapHandle m_scrollSkin;
};
