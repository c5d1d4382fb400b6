// Pointer handling of a skinned scroll bar.
#include "ui/layout/ScrollBarTracker.h"

namespace {

bool ShowsPicture(ScrollPart part) {
    return part == kPartLineUp || part == kPartLineDown || part == kPartThumbTrack;
}

} // namespace

void ScrollBarTracker::SetSkin(int cell, float scale, int capSize) {
    m_cell = cell;
    m_scale = scale;
    m_capSize = capSize;
}

BarMetrics ScrollBarTracker::Metrics() const {
    return {m_vertical ? m_client.height : m_client.width, m_cell, m_scale, m_capSize};
}

BarLook ScrollBarTracker::Look() const {
    return {m_hover, m_pressed, !m_pointerOutside, m_dragging};
}

bool ScrollBarTracker::SetValues(unsigned mask, const ScrollValues& values) {
    ScrollValues next = m_values;
    if ((mask & kScrollMaskRange) != 0) {
        next.min = values.min;
        next.max = values.max;
    }
    if ((mask & kScrollMaskPage) != 0) {
        next.page = values.page;
    }
    if ((mask & kScrollMaskPos) != 0) {
        next.pos = values.pos;
    }
    next = NormalizeScrollValues(next);
    const bool changed = next != m_values;
    m_values = next;
    return changed;
}

ScrollPart ScrollBarTracker::PartAt(Point point) const {
    if (point.x < 0 || point.y < 0 || point.x >= m_client.width || point.y >= m_client.height) {
        return kPartNone;
    }
    return HitTestBar(Layout(), Along(point));
}

BarActions ScrollBarTracker::Press(Point point) {
    m_lastPoint = point;
    BarActions actions;
    const ScrollPart part = PartAt(point);
    if (part == kPartNone) {
        return actions;
    }
    if (part == kPartThumbTrack) {
        m_dragging = true;
        m_dragStartAlong = Along(point);
        m_dragStartPosition = m_values.pos;
        m_values.trackPos = m_values.pos;
        actions.repaint = true;
        return actions;
    }
    m_pressed = part;
    m_repeating = false;
    m_pointerOutside = false;
    actions.notify = part;
    actions.timer = BarActions::Timer::StartDelay;
    actions.repaint = true;
    return actions;
}

BarActions ScrollBarTracker::Move(Point point) {
    m_lastPoint = point;
    BarActions actions;
    if (m_dragging) {
        const int position = DragPosition(Metrics(), m_values, m_dragStartPosition, Along(point) - m_dragStartAlong);
        if (position != m_values.trackPos) {
            m_values.trackPos = position;
            actions.notify = kPartThumbTrack;
            actions.notifyPosition = position;
            actions.repaint = true;
        }
        return actions;
    }
    if (m_pressed != kPartNone) {
        const bool outside = !OnPressedPart(point);
        actions.repaint = outside != m_pointerOutside;
        m_pointerOutside = outside;
        return actions;
    }
    const ScrollPart part = PartAt(point);
    if (part != m_hover) {
        actions.repaint = ShowsPicture(part) || ShowsPicture(m_hover);
        m_hover = part;
    }
    return actions;
}

BarActions ScrollBarTracker::Leave() {
    BarActions actions;
    // A pointer leaving during a press or drag is still followed through the capture.
    if (!Active() && m_hover != kPartNone) {
        actions.repaint = ShowsPicture(m_hover);
        m_hover = kPartNone;
    }
    return actions;
}

BarActions ScrollBarTracker::RepeatTimer() {
    BarActions actions;
    if (m_pressed == kPartNone) {
        actions.timer = BarActions::Timer::Stop;
        return actions;
    }
    actions.timer = m_repeating ? BarActions::Timer::Keep : BarActions::Timer::StartRepeat;
    m_repeating = true;

    // The thumb moves under a still pointer, so the part under it is looked at anew on every tick.
    const ScrollPart under = PartAt(m_lastPoint);
    if (m_pressed == kPartPageUp || m_pressed == kPartPageDown) {
        if (under == kPartThumbTrack) {
            actions.timer = BarActions::Timer::Stop;
            return actions;
        }
    }
    const bool outside = under != m_pressed;
    if (outside != m_pointerOutside) {
        m_pointerOutside = outside;
        actions.repaint = true;
    }
    if (outside) {
        return actions;
    }
    if ((m_pressed == kPartLineUp && m_values.pos <= m_values.min) ||
        (m_pressed == kPartLineDown && m_values.pos >= LargestScrollPosition(m_values))) {
        actions.timer = BarActions::Timer::Stop;
        return actions;
    }
    actions.notify = m_pressed;
    return actions;
}

BarActions ScrollBarTracker::Release(Point point) {
    m_lastPoint = point;
    BarActions actions;
    if (m_dragging) {
        m_dragging = false;
        actions.notify = kPartThumbPosition;
        actions.notifyPosition = m_values.trackPos;
        m_values.trackPos = -1;
        m_hover = PartAt(point);
        actions.repaint = true;
        return actions;
    }
    if (m_pressed != kPartNone) {
        m_pressed = kPartNone;
        m_repeating = false;
        m_pointerOutside = false;
        m_hover = PartAt(point);
        actions.timer = BarActions::Timer::Stop;
        actions.repaint = true;
    }
    return actions;
}

BarActions ScrollBarTracker::CaptureLost() {
    return Active() ? Release(m_lastPoint) : BarActions{};
}
