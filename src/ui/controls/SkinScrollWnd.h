// Skinned scroll bars for a scrollable control (the agreement's rich-edit box). The control keeps working with
// its own scroll bars, but they are pushed out of sight: SkinWndScroll puts the control into a clipping window
// ("LIMIT") inside a frame that takes the control's place, and the frame shows two CSkinScrollBars exactly where
// the own bars would be. The control is subclassed so that its scroll state is mirrored into the skinned bars,
// and the skinned bars' actions reach the control as ordinary WM_VSCROLL / WM_HSCROLL messages.
//
//   HBITMAP skin = ::LoadBitmapW(instance, MAKEINTRESOURCEW(IDB_SCROLL_SKIN));   // the caller's, delete it any time
//   if (SkinWndScroll(textBox, skin, scale, 0) == nullptr) { /* the box keeps its own bars */ }
//
// The frame keeps its own copy of the skin and deletes itself when the control or the frame's parent is
// destroyed; UnskinWndScroll gives a living control back. After wrapping, GetDlgItem(parent, id) finds the frame
// (it takes the control's id); keep the control's own handle to talk to it.
#pragma once

#include "base/WindowMessages.h"
#include "framework/GdiObjects.h"
#include "framework/Window.h"
#include "ui/controls/SkinScrollBar.h"

class CSkinScrollWnd : public CWindow {
public:
    static constexpr int kHorizontalBarId = 100;
    static constexpr int kVerticalBarId = 101;
    static constexpr int kLimitId = 200;

    CSkinScrollWnd(const CSkinScrollWnd&) = delete;
    CSkinScrollWnd& operator=(const CSkinScrollWnd&) = delete;
    ~CSkinScrollWnd() override;

    // The frame of a wrapped control, or nullptr.
    [[nodiscard]] static CSkinScrollWnd* FromControl(HWND control);

    [[nodiscard]] HWND Control() const { return m_control; }
    [[nodiscard]] HWND Limit() const { return m_limit; }
    [[nodiscard]] const CSkinScrollBar& HorizontalBar() const { return m_horizontal; }
    [[nodiscard]] const CSkinScrollBar& VerticalBar() const { return m_vertical; }
    [[nodiscard]] int Thickness() const { return m_thickness; }
    [[nodiscard]] int CornerKind() const { return m_cornerKind; }
    [[nodiscard]] float Scale() const { return m_scale; }

private:
    friend CSkinScrollWnd* SkinWndScroll(HWND control, HBITMAP skin, float scale, int capSize);
    friend bool UnskinWndScroll(HWND control);

    CSkinScrollWnd() = default;
    bool CreateFrame(HWND control, HBITMAP skin, float scale, int capSize);
    void TakeControl(HWND control);
    // Gives the control back to the frame's parent at the frame's place and destroys the frame (which deletes
    // this object). `restoreLook` also gives back the border and client edge the frame took over.
    void GiveBackControl(bool restoreLook);

    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data);
    static LRESULT DispatchFrameMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnLimitMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlNcCalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlDestroy(HWND hwnd, WPARAM wParam, LPARAM lParam);

    void PlaceControl();
    void ForwardScroll(UINT message, WPARAM wParam, HWND bar);
    // Copies the control's scroll state into the skinned bars whose values differ (not into a bar being dragged).
    void MirrorScrollState();
    void MirrorBar(CSkinScrollBar& bar, int which);
    void PaintCorner(HDC dc);
    Size FrameClientSize() const;

    int m_thickness = 16; // T = trunc(c * s)
    CSkinScrollBar m_horizontal;
    CSkinScrollBar m_vertical;
    HWND m_limit = nullptr;
    CBitmapHandle m_skin;    // the frame's own copy
    bool m_updating = false; // the frame itself is changing the control: its messages are not mirrored
    int m_cornerKind = 0;
    float m_scale = 1.0f;
    int m_capSize = 0;
    HWND m_control = nullptr;
    bool m_tookBorder = false;
    bool m_tookClientEdge = false;
    bool m_destroying = false;
    bool m_forwardingWheel = false;
};

// Wraps `control` (a child window with WS_VSCROLL and/or WS_HSCROLL) in a frame with skinned scroll bars drawn
// from `skin` (9 x 3 square cells) at scale factor `scale`, with thumb end caps of `capSize` (0: plain thumb).
// Returns the frame, owned by its window, or nullptr (and the control untouched) when the control is not a
// child window, is wrapped already, or the skin is unusable.
CSkinScrollWnd* SkinWndScroll(HWND control, HBITMAP skin, float scale, int capSize);
// Gives a wrapped control back to its parent at the frame's place, with its border and own scroll bars as they
// were, and removes the frame. False when the control is not wrapped.
[[nodiscard]] bool UnskinWndScroll(HWND control);
