// The normal / hover / pressed state of an image button, driven by the mouse messages the button receives.
#pragma once

#include "ui/layout/ControlGeometry.h"

class ButtonStateTracker {
public:
    // CImageButton only reacts to presses and releases inside its client area; CPngButton to any point (a button
    // with the mouse captured also receives points outside itself).
    enum class PointRule { AnyPoint, InsideOnly };

    explicit ButtonStateTracker(PointRule rule) : m_rule(rule) {}

    int State() const { return m_state; }
    bool Tracking() const { return m_tracking; }

    // Each returns whether the button must repaint, except OnMouseMove, which returns whether a hover/leave
    // notification must be requested now.
    bool OnMouseMove(bool enabled);
    // The hover notification shows the hover picture, but never over a press still held: it may arrive after a
    // quick press, and the pressed picture must last until the release.
    bool OnHover(bool enabled, bool pointInside);
    bool OnRelease(bool enabled, bool pointInside);
    bool OnPress(bool enabled, bool pointInside);
    bool OnMouseLeave(bool enabled);

private:
    bool Accepts(bool pointInside) const { return m_rule == PointRule::AnyPoint || pointInside; }

    PointRule m_rule;
    int m_state = kStateNormal;
    bool m_tracking = false;
};
