// The progress window's content: its picture and the animated waiting text.
#pragma once

#include "ui/ContentDlg.h"
#include "ui/controls/DrawStateInfoStatic.h"

#include <string>
#include <string_view>

class CExecutePromptChildDlg : public CContentDlg {
public:
    CExecutePromptChildDlg();

    void SetText(std::wstring_view text) { m_text = text; }
    void StopAnimation() { m_label.StopAnimation(); }

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    void SetUpControls() override;
    void PlaceControls() override;
    // A system close (Alt+F4) or Esc on the content goes to the frame, which decides whether the wait can be
    // left.
    bool OnClose() override;
    void OnEscapeKey() override;
    void OnDestroy() override;

private:
    CDrawStateInfoStatic m_label;
    std::wstring m_text;
};
