// The scale factor of every skinned window: the screen's vertical dots per inch divided by 100 above 100 dpi.
#pragma once

// 96 and 100 dpi give 1.0, 120 dpi 1.2, 144 dpi 1.44, 192 dpi 1.92. The divisor is 100 on purpose: the skin was
// laid out for it.
inline float ScaleFromDpi(int dpi) {
    return dpi > 100 ? static_cast<float>(dpi) / 100.0f : 1.0f;
}
