// The message prompt's frame: a layered window showing the soft-shadowed picture, which runs the modal loop and
// carries the content window (CPromptChildDlg) with the text and the buttons over its inner area.
//
//   CPromptDlg prompt(owner);            // owner may be null: the application's active window
//   prompt.SetScale(s); prompt.SetText(L"..."); prompt.SetKind(kPromptConfirm);
//   INT_PTR answer = prompt.DoModal();   // IDOK (first button) or IDCANCEL (second button, close cross)
#pragma once

#include "base/WindowMessages.h"
#include "ui/FramePopupDlg.h"

#include <string>
#include <string_view>

class CPromptDlg : public CFramePopupDlg {
public:
    explicit CPromptDlg(HWND owner = nullptr);
    ~CPromptDlg() override;

    void SetText(std::wstring_view text) { m_text = text; }
    void SetKind(int kind) { m_kind = kind; }
    const std::wstring& Text() const { return m_text; }
    int Kind() const { return m_kind; }

protected:
    int FramePictureId() const override;
    Rect ContentRect(const Rect& frameWindow) const override;
    Rect ContentFollowRect(const Rect& frameWindow) const override;
    Rect FrameFollowRect(const Rect& contentWindow) const override;

    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::wstring m_text;
    int m_kind = 1;
};
