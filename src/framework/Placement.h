// Where a modal dialog goes when the framework centres it: the rule, free of any window handle.
#pragma once

#include "framework/Geometry.h"

// Top-left corner that centres a window of the given size over `centre`, then pulls it back inside `area`
// (the work area of the screen) so that no edge is lost; the top-left edges win when it is bigger than `area`.
[[nodiscard]] Point CentredTopLeft(Size window, const Rect& centre, const Rect& area);

// Whether a modal dialog is centred after its initialisation: it was hidden before, is still hidden and not a
// child, kept its top-left corner, and has no owner or a disabled one.
struct InitialPlacement {
    bool visibleBefore = false;
    bool visibleOrChildAfter = false;
    Point topLeftBefore;
    Point topLeftAfter;
    bool ownerEnabled = false;
};
[[nodiscard]] bool ShouldAutoCentre(const InitialPlacement& placement);
