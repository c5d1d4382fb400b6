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
    // The window has no way out but the end of the work: a system close (Alt+F4) neither hides the text nor
    // ends the frame's loop while the worker still runs.
    bool OnClose() override { return true; }
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
