// The message prompt's content window: its picture, the message text, one or two answer buttons by kind, the
// close cross, and the top strip by which the user drags the prompt.
#pragma once

#include "ui/controls/DrawTextStatic.h"
#include "ui/controls/PngButton.h"
#include "ui/controls/PngImage.h"
#include "ui/controls/SkinnedDialog.h"

#include <string>
#include <string_view>

class CPromptDlg;

class CPromptChildDlg : public CSkinnedDialog {
public:
    explicit CPromptChildDlg(CPromptDlg& frame);

    void SetText(std::wstring_view text) { m_text = text; }
    void SetKind(int kind) { m_kind = kind; }

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnClose() override;
    void OnSize(UINT type, int width, int height) override;
    void OnMove(int x, int y) override;
    void OnDestroy() override;
    bool OnEraseBackground(HDC dc) override;
    bool OnNcHitTest(Point screen, LRESULT& hit) override;
    void OnEscapeKey() override;

private:
    void LayOut(bool first);

    CPromptDlg& m_frame;
    int m_laidOut = 0;
    CPngButton m_close;
    CPngButton m_first;
    CPngButton m_second;
    CDrawTextStatic m_label;
    std::wstring m_text;
    int m_kind = 1;
    int m_dragging = 0;
    PngSlot m_background;
};
