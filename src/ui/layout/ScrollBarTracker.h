// The state of one skinned scroll bar and what the pointer does to it: scroll values, hover, a held arrow or
// track part with its repeat timer, a thumb drag. The bar window feeds it the mouse and timer messages and
// carries out the returned actions, so the behaviour is tested without a window.
#pragma once

#include "ui/layout/ScrollBarLayout.h"

// What the bar must do after an event, in this order: tell its parent, change its timers, repaint.
struct BarActions {
    enum class Timer {
        Keep,
        StartDelay,  // the first repeat comes after a delay (500 ms)
        StartRepeat, // the delay is over: repeat every 100 ms from now on
        Stop,        // no repeat timer
    };
    ScrollPart notify = kPartNone; // send WM_VSCROLL / WM_HSCROLL with this code
    int notifyPosition = 0;        // the position carried by the thumb codes
    Timer timer = Timer::Keep;
    bool repaint = false;
};

class ScrollBarTracker {
public:
    explicit ScrollBarTracker(bool vertical) : m_vertical(vertical) {}

    bool Vertical() const { return m_vertical; }
    void SetSkin(int cell, float scale, int capSize);
    void SetClientSize(Size client) { m_client = client; }
    Size ClientSize() const { return m_client; }
    BarMetrics Metrics() const;
    BarLayout Layout() const { return LayOutBar(Metrics(), m_values); }
    BarLook Look() const;

    // SBM_SETSCROLLINFO: copies the fields the mask names; true when what the bar shows changed.
    bool SetValues(unsigned mask, const ScrollValues& values);
    const ScrollValues& Values() const { return m_values; }
    // SBM_GETSCROLLINFO's track position: the drag position while a drag runs, else the position.
    int TrackPosition() const { return ShownPosition(m_values); }

    bool Dragging() const { return m_dragging; }
    ScrollPart Pressed() const { return m_pressed; }
    ScrollPart Hover() const { return m_hover; }
    bool Repeating() const { return m_repeating; }
    // True while a press or drag holds the pointer (the bar keeps the mouse captured).
    bool Active() const { return m_dragging || m_pressed != kPartNone; }

    // Points are in the bar's client coordinates.
    BarActions Press(Point point);
    BarActions Move(Point point);
    BarActions Leave();
    BarActions RepeatTimer();
    BarActions Release(Point point);
    // The bar lost the mouse capture without a release: the press or drag ends where the pointer was last seen.
    BarActions CaptureLost();

private:
    int Along(Point point) const { return m_vertical ? point.y : point.x; }
    // The part under a point, kPartNone outside the bar.
    ScrollPart PartAt(Point point) const;
    bool OnPressedPart(Point point) const { return PartAt(point) == m_pressed; }

    bool m_vertical;
    int m_cell = 0;
    float m_scale = 1.0f;
    int m_capSize = 0;
    Size m_client;
    ScrollValues m_values;

    bool m_dragging = false;
    int m_dragStartAlong = 0;
    int m_dragStartPosition = 0;
    ScrollPart m_pressed = kPartNone;
    bool m_repeating = false;
    bool m_pointerOutside = false;
    ScrollPart m_hover = kPartNone;
    Point m_lastPoint{-1, -1};
};
