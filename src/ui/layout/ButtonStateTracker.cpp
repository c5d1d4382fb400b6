// Button state transitions.
#include "ui/layout/ButtonStateTracker.h"

bool ButtonStateTracker::OnMouseMove(bool enabled) {
    if (!enabled || m_tracking) {
        return false;
    }
    m_tracking = true;
    return true;
}

bool ButtonStateTracker::OnHover(bool enabled, bool pointInside) {
    if (m_state == kStatePressed) {
        return false;
    }
    return OnRelease(enabled, pointInside);
}

bool ButtonStateTracker::OnRelease(bool enabled, bool pointInside) {
    if (!enabled || m_state == kStateHover || !Accepts(pointInside)) {
        return false;
    }
    m_state = kStateHover;
    return true;
}

bool ButtonStateTracker::OnPress(bool enabled, bool pointInside) {
    if (!enabled || m_state == kStatePressed || !Accepts(pointInside)) {
        return false;
    }
    m_state = kStatePressed;
    return true;
}

bool ButtonStateTracker::OnMouseLeave(bool enabled) {
    m_tracking = false;
    if (!enabled || m_state == kStateNormal) {
        return false;
    }
    m_state = kStateNormal;
    return true;
}
