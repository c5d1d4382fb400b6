// Geometry of the problem-solved feedback window: the frame, where its content sits, the content's drag strip,
// and the close cross and the three large buttons of the content. Sizes are design pixels times s, truncated
// toward zero; halvings of integers are integer divisions.
#pragma once

#include "framework/Geometry.h"
#include "ui/layout/ControlGeometry.h"

#include <array>

// The frame picture is 410 x 479 pixels, the content picture 400 x 468.
constexpr Size kFeedbackFrameDesignSize = {410, 479};
constexpr Size kFeedbackContentDesignSize = {400, 468};

Size FeedbackFrameSize(float s);

// The content over the frame's window rectangle when the frame creates it: 5 design pixels inside it on the left,
// 4 at the top, 5 on the right and 7 at the bottom (400 x 468 at s = 1, the size of its picture).
Rect FeedbackContentRect(const Rect& frame, float s);
// Where the content goes whenever the frame moves (the centring on the screen included): 3 at the top instead
// of 4, so the content then stands one scaled pixel higher and is one pixel taller (400 x 469 at s = 1).
Rect FeedbackContentFollowRect(const Rect& frame, float s);
// The frame around the content after the user dragged the content: 5, 4, 5 and 7 outside it, so the frame
// ends one scaled pixel higher against the content than before the drag.
Rect FeedbackFrameFollowRect(const Rect& content, float s);

// The content's drag strip from its client rectangle in screen coordinates: the top 30 pixels without the
// rightmost 26 (where the close cross is). Not scaled.
Rect FeedbackDragStrip(const Rect& clientOnScreen);

struct FeedbackButtonPlace {
    Rect rect;
    Margins hot; // the part of the button that answers clicks is the client area shrunk by these
};

struct FeedbackChildLayout {
    Rect close;
    FeedbackButtonPlace solved;
    FeedbackButtonPlace notSolved;
    FeedbackButtonPlace moreSolutions;
};
FeedbackChildLayout LayOutFeedbackChild(const Rect& client, float s);

// Pictures of the buttons (normal, hover, pressed, disabled) and the part of the content picture behind each.
constexpr std::array<int, 4> kFeedbackCloseImages = {179, 180, 181, 182};
constexpr std::array<int, 4> kSolvedImages = {184, 185, 186, 187};
constexpr std::array<int, 4> kNotSolvedImages = {190, 191, 192, 193};
constexpr std::array<int, 4> kMoreSolutionsImages = {152, 153, 154, 155};
constexpr Rect kSolvedBackSource = {67, 154, 333, 214};
constexpr Rect kNotSolvedBackSource = {67, 234, 333, 294};
constexpr Rect kMoreSolutionsBackSource = {67, 314, 333, 374};
