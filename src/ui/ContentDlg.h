// Base of the windows whose controls stand on a picture: the contents of the frames, the two pages and the main
// window. It keeps the background picture (painted over the whole client area unless a subclass paints it its
// own way), sets the controls up once and places them again on every change of size, and lets the user drag a
// content by its drag strip while its frame follows.
//
//   class CMyContent : public CContentDlg {
//   public:
//       explicit CMyContent(CFramePopupDlg& frame) : CContentDlg(IDD_MY_CONTENT, nullptr, IDP_MY_BACK, &frame) {}
//   protected:
//       BOOL OnInitDialog() override { EnsureBackground(); LayOutControls(); return TRUE; }
//       void SetUpControls() override;   // pictures, fonts, texts: once
//       void PlaceControls() override;   // places for ClientRect(): now and on every WM_SIZE
//       std::optional<Rect> DragStrip(const Rect& clientOnScreen) const override { return MyStrip(clientOnScreen); }
//   };
#pragma once

#include "ui/controls/PngImage.h"
#include "ui/controls/SkinnedDialog.h"

#include <optional>

class CFramePopupDlg;

class CContentDlg : public CSkinnedDialog {
public:
    // `backgroundId`: the background picture; `frame`: the frame that follows this window's drags (none for a
    // page or the main window).
    CContentDlg(int templateId, HWND parent, int backgroundId, CFramePopupDlg* frame = nullptr);

protected:
    // Loads the background picture once; false when it cannot be had.
    bool EnsureBackground();
    // The background picture, or nullptr when it was not loaded.
    Gdiplus::Image* Background() const;
    Size BackgroundPixelSize() const;

    // Once, before the first placement: the controls' pictures, fonts, texts and colours.
    virtual void SetUpControls() {}
    // The controls' places for the client area, and whatever follows from them (the part of the picture behind a
    // button, its hot area).
    virtual void PlaceControls() {}
    // Sets the controls up and places them; from then on every change of size places them again.
    void LayOutControls();
    bool IsLaidOut() const { return m_laidOut; }

    // The strip (screen coordinates) by which the user drags the window, when it has one.
    virtual std::optional<Rect> DragStrip(const Rect&) const { return std::nullopt; }
    // The frame's window, or null without a frame.
    HWND FrameWindow() const;

    void OnSize(UINT type, int width, int height) override;
    // While the user drags this window by its strip, the frame follows it.
    void OnMove(int x, int y) override;
    bool OnNcHitTest(Point screen, LRESULT& hit) override;
    bool OnEraseBackground(HDC dc) override;
    // Lets the background go; a subclass that overrides it calls it last (its controls may still point at it).
    void OnDestroy() override;

private:
    int m_backgroundId;
    PngSlot m_background;
    CFramePopupDlg* m_frame;
    bool m_laidOut = false;
    bool m_dragging = false;
};
