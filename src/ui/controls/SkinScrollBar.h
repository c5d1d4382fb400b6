// A scroll-bar control painted from the skin bitmap (9 x 3 cells: up, down, thumb, track of a vertical bar, the
// same of a horizontal bar, the corner; rows normal, hover, pressed) with arrows that repeat while held and a
// thumb that is dragged. It answers the ordinary scroll-information calls (SetScrollInfo / GetScrollInfo with
// SB_CTL) and reports to its parent with WM_VSCROLL / WM_HSCROLL like a system scroll bar.
#pragma once

#include "framework/Control.h"
#include "ui/layout/ScrollBarTracker.h"

class CSkinScrollBar : public CControl {
public:
    // Creates a hidden child scroll bar of `parent`; SBS_VERT makes it vertical.
    [[nodiscard]] bool Create(HWND parent, int id, bool vertical);

    void SetScale(float scale);
    void SetCapSize(int capSize);
    // The skin is not owned; it must outlive the bar. The bar becomes trunc(c * s) thick (c = bitmap width / 9)
    // and keeps its position.
    void SetBitmap(HBITMAP bitmap);

    [[nodiscard]] bool Vertical() const { return m_tracker.Vertical(); }
    [[nodiscard]] bool IsDragging() const { return m_tracker.Dragging(); }
    [[nodiscard]] const ScrollValues& Values() const { return m_tracker.Values(); }
    [[nodiscard]] int CellSize() const { return m_cell; }
    [[nodiscard]] int RowHeight() const { return m_rowHeight; }
    // The full position carried by the last thumb notification (its high word holds only 16 bits).
    [[nodiscard]] int LastThumbPosition() const { return m_lastThumbPosition; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // The groups of messages OnMessage answers; each is true when it handled the message.
    bool OnWindowMessage(UINT message, LPARAM lParam, LRESULT& result);
    bool OnPointerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnScrollInfoMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void Apply(const BarActions& actions);
    void Redraw();
    void Paint(HDC dc);
    LRESULT SetScrollInfoMessage(const SCROLLINFO* info, bool redraw);
    LRESULT GetScrollInfoMessage(SCROLLINFO* info) const;
    void SetValues(unsigned mask, const ScrollValues& values, bool redraw);

    ScrollBarTracker m_tracker{true};
    HBITMAP m_bitmap = nullptr;
    int m_cell = 0;
    int m_rowHeight = 0;
    float m_scale = 1.0f;
    int m_capSize = 0;
    bool m_leaveRequested = false;
    int m_lastThumbPosition = 0;
};
