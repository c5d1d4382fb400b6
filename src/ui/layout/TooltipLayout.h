// Geometry of the agreement text window: the balloon frame, the content window over it (without the balloon's
// pointer), the text box inside the content, the part of the balloon picture the content paints, and where the
// main window puts the balloon. Sizes are design pixels times s, truncated toward zero.
#pragma once

#include "framework/Geometry.h"

// The balloon picture is 541 x 402 pixels; its bottom 18 rows hold the pointer.
constexpr Size kTooltipDesignSize = {541, 402};
constexpr int kTooltipPointerRows = 18;

// The frame keeps its top-left corner and takes the balloon's size.
Rect TooltipFrameRect(const Rect& current, float s);

// The content window over the frame's window rectangle: inset 1, 1, 2 and 18 (the pointer stays outside).
// Used both when the frame creates the content and whenever the frame moves.
Rect TooltipContentRect(const Rect& frame, float s);

// The text box inside the content's client rectangle: inset 8 on every side.
Rect TooltipTextBoxRect(const Rect& client, float s);

// The part of the balloon picture the content stretches over its client area: the picture without its last
// column and without the pointer rows. Empty for a picture too small to have that part.
Rect TooltipBackgroundSource(Size picture);

// Where the main window shows the balloon, from the main window's window rectangle: horizontally 270 design
// pixels left of the main window's middle, its top 430 design pixels above the main window's bottom, so that the
// pointer ends just above the agreement link. At s = 1 over an 800 x 600 main window: 130 right of its left
// edge and 170 below its top.
Rect AgreementWindowRect(const Rect& mainWindow, float s);
