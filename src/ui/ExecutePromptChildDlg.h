// The progress window's content: its picture and the animated waiting text.
#pragma once

#include "ui/controls/DrawStateInfoStatic.h"
#include "ui/controls/PngImage.h"
#include "ui/controls/SkinnedDialog.h"

#include <string>
#include <string_view>

class CExecutePromptChildDlg : public CSkinnedDialog {
public:
    CExecutePromptChildDlg();

    void SetText(std::wstring_view text) { m_text = text; }
    void StopAnimation() { m_label.StopAnimation(); }

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    // A system close (Alt+F4) or Esc on the content goes to the frame, which decides whether the wait can be
    // left.
    bool OnClose() override;
    void OnEscapeKey() override;
    void OnSize(UINT type, int width, int height) override;
    void OnDestroy() override;
    bool OnEraseBackground(HDC dc) override;

private:
    void LayOut(bool first);

    int m_laidOut = 0;
    PngSlot m_background;
    CDrawStateInfoStatic m_label;
    std::wstring m_text;
};
