// Gallery page with every skinned control in its states, on a plain coloured background, reporting clicks,
// state changes and link highlighting on standard output.
#pragma once

#include "framework/Dialog.h"
#include "ui/controls/CheckBoxBtn.h"
#include "ui/controls/DrawStateInfoStatic.h"
#include "ui/controls/DrawTextStatic.h"
#include "ui/controls/ImageButton.h"
#include "ui/controls/PngButton.h"

#include <array>
#include <map>
#include <memory>

class CControlsDlg : public CDialog {
public:
    explicit CControlsDlg(float scale);
    ~CControlsDlg() override;

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnEraseBackground(HDC dc) override;
    void OnDestroy() override;

private:
    Rect Scaled(int x, int y, int width, int height) const;
    void Report(int id, int value, const wchar_t* what);

    float m_scale;
    std::unique_ptr<Gdiplus::Bitmap> m_background;
    std::array<CPngButton, 10> m_pngButtons;
    std::array<CImageButton, 8> m_imageButtons;
    CCheckBoxBtn m_check;
    std::array<CDrawTextStatic, 6> m_texts;
    CDrawTextStatic m_link;
    CDrawStateInfoStatic m_state;
    std::map<int, int> m_reported;
};
