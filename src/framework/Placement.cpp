// Centring rule of modal dialogs.
#include "framework/Placement.h"

Point CentredTopLeft(Size window, const Rect& centre, const Rect& area) {
    int left = (centre.left + centre.right) / 2 - window.width / 2;
    int top = (centre.top + centre.bottom) / 2 - window.height / 2;
    if (left + window.width > area.right) {
        left = area.right - window.width;
    }
    if (left < area.left) {
        left = area.left;
    }
    if (top + window.height > area.bottom) {
        top = area.bottom - window.height;
    }
    if (top < area.top) {
        top = area.top;
    }
    return {left, top};
}

bool ShouldAutoCentre(const InitialPlacement& placement) {
    if (placement.visibleBefore || placement.visibleOrChildAfter) {
        return false;
    }
    if (!(placement.topLeftBefore == placement.topLeftAfter)) {
        return false;
    }
    return !placement.ownerEnabled;
}
