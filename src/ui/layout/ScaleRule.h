// The scale factor of every skinned window: the screen's vertical dots per inch divided by 100 above 100 dpi.
#pragma once

#include "framework/Geometry.h"

#include <algorithm>

// 96 and 100 dpi give 1.0, 120 dpi 1.2, 144 dpi 1.44, 192 dpi 1.92. The divisor is 100 on purpose: the skin was
// laid out for it.
inline float ScaleFromDpi(int dpi) {
    return dpi > 100 ? static_cast<float>(dpi) / 100.0f : 1.0f;
}

// The scale of a window whose design size is `design` (in design pixels) on a work area of size `area`: s when
// the scaled window fits, else the largest scale at which it does, so that no window opens with its edges
// (title strip, buttons) off the screen. The layout rules stay the same at the lowered scale.
inline float FitScale(float s, Size design, Size area) {
    if (design.width <= 0 || design.height <= 0 || area.width <= 0 || area.height <= 0) {
        return s;
    }
    const float widthFit = static_cast<float>(area.width) / static_cast<float>(design.width);
    const float heightFit = static_cast<float>(area.height) / static_cast<float>(design.height);
    return std::min({s, widthFit, heightFit});
}
