// Drawing rules of the skinned controls: which picture a state shows, where it is cut from, how text is laid out.
// Text formats are the DrawTextW flag values (DT_CENTER 0x1, DT_RIGHT 0x2, DT_VCENTER 0x4, DT_WORDBREAK 0x10,
// DT_SINGLELINE 0x20).
#pragma once

#include "framework/Geometry.h"

#include <optional>
#include <string>
#include <string_view>

// Button states shared by the image buttons.
enum ButtonState : int { kStateNormal = 1, kStateHover = 2, kStatePressed = 3 };

// Index of the state picture (0 normal, 1 hover, 2 pressed, 3 disabled) for a button state.
int StateImageIndex(int state, bool enabled);

// The part of a state picture that a CPngButton stretches over its face. Above scale 1 the last row and column
// are left out, so that the stretched picture does not pick up its transparent border.
Rect PngButtonSourceRect(Size image, float scale);

// One frame of a four-frame strip (frames side by side, width strip / 4).
Rect StripFrameRect(Size strip, int state, bool enabled);

// Margins of the part of an image button that answers clicks.
struct Margins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
Rect HotArea(const Rect& client, const Margins& margins);

// Check box: the 16 x 16 box picture scaled by s, vertically centred at the left, and the text to its right.
struct CheckBoxLayout {
    Rect box;
    Rect text;
    int sourceX = 0; // x of the box picture in the 48 x 16 strip: 16 ticked, 0 otherwise
};
CheckBoxLayout LayOutCheckBox(const Rect& client, float scale, int checkState);

// DrawTextW format of a CDrawTextStatic alignment mode; no value means that no text is drawn.
std::optional<unsigned> DrawTextStaticFormat(int mode);

// DrawTextW format of a CDrawStateInfoStatic alignment mode (unknown modes draw one centred-left line).
unsigned StateInfoFormat(int mode);

// The waiting text's dots: 0 → 1 → 2 → 3 → 0.
int NextDotCount(int dots);
std::wstring TextWithDots(std::wstring_view text, int dots);
