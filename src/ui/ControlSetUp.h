// The layout's own types handed to the skinned controls, whose setters take loose numbers: the part of the
// parent's picture behind a control, a button's hot margins and its four state pictures.
#pragma once

#include "framework/Geometry.h"
#include "ui/layout/ControlGeometry.h"

#include <array>

// The pictures of the normal, hover, pressed and disabled states, numbered one after the other from `first`.
constexpr std::array<int, 4> StateImagesFrom(int first) {
    return {first, first + 1, first + 2, first + 3};
}

template <class Control> void SetBackSource(Control& control, const Rect& source) {
    control.SetBackSourceRect(source.left, source.top, source.right, source.bottom);
}

template <class Button> void SetHotMargins(Button& button, const Margins& margins) {
    button.SetHotMargins(margins.left, margins.top, margins.right, margins.bottom);
}

template <class Button> void SetStateImages(Button& button, const std::array<int, 4>& images) {
    button.SetStateImages(images[0], images[1], images[2], images[3]);
}
