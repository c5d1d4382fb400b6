// The message prompt's frame: a layered window showing the soft-shadowed picture, which runs the modal loop and
// carries the content window (CPromptChildDlg) with the text and the buttons over its inner area.
//
//   CPromptDlg prompt(owner);            // owner may be null: the application's active window
//   prompt.SetScale(s); prompt.SetText(L"..."); prompt.SetKind(kPromptConfirm);
//   INT_PTR answer = prompt.DoModal();   // IDOK (first button) or IDCANCEL (second button, close cross)
#pragma once

#include "ui/controls/PngImage.h"
#include "ui/controls/SkinnedDialog.h"

#include <memory>
#include <string>
#include <string_view>

// Sent by the content window to its frame: wParam 1 = first button, 2 = second button.
constexpr UINT kMsgPromptAnswer = 0x5FB;

class CPromptChildDlg;

class CPromptDlg : public CSkinnedDialog {
public:
    explicit CPromptDlg(HWND owner = nullptr);
    ~CPromptDlg() override;

    void SetText(std::wstring_view text) { m_text = text; }
    void SetKind(int kind) { m_kind = kind; }
    const std::wstring& Text() const { return m_text; }
    int Kind() const { return m_kind; }

    // The user dragged the content: from now on the content leads and the frame follows it.
    void FollowContent(const Rect& contentWindow);

protected:
    // Which picture the frame shows.
    virtual int FramePictureId() const;

    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnMove(int x, int y) override;
    void OnDestroy() override;

private:
    PngSlot m_background;
    std::wstring m_text;
    int m_kind = 1;
    int m_frameMovesContent = 1;
    std::unique_ptr<CPromptChildDlg> m_content;
};
