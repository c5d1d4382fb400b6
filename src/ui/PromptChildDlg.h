// The message prompt's content window: its picture, the message text, one or two answer buttons by kind, the
// close cross, and the top strip by which the user drags the prompt.
#pragma once

#include "ui/ContentDlg.h"
#include "ui/controls/DrawTextStatic.h"
#include "ui/controls/PngButton.h"

#include <string>
#include <string_view>

class CPromptDlg;

class CPromptChildDlg : public CContentDlg {
public:
    explicit CPromptChildDlg(CPromptDlg& frame);

    void SetText(std::wstring_view text) { m_text = text; }
    void SetKind(int kind) { m_kind = kind; }

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    void SetUpControls() override;
    void PlaceControls() override;
    std::optional<Rect> DragStrip(const Rect& clientOnScreen) const override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnClose() override;
    void OnDestroy() override;
    bool OnEraseBackground(HDC dc) override;
    void OnEscapeKey() override;

private:
    CPngButton m_close;
    CPngButton m_first;
    CPngButton m_second;
    CDrawTextStatic m_label;
    std::wstring m_text;
    int m_kind = 1;
};
