// Geometry of the frame and the main window: where they go on the screen, where the frame follows the main
// window, where the seven controls of the main window sit, and the title's rectangle. Sizes are
// design pixels times the scale factor s, cut toward zero where the design says so.
#pragma once

#include "framework/Geometry.h"

// The frame picture's design size; the main window is 6 pixels narrower and lower.
constexpr Size kFrameDesignSize = {806, 606};

// The frame centred on a screen of the given size.
Rect FrameRect(Size screen, float s);

// The main window over the frame's inner area (3 design pixels in from the left, 2 from the top).
Rect MainWindowRect(const Rect& frame, float s);

// Where the frame goes when the main window moves: around it, 3 design pixels left and right, 2 above and 4
// below.
Rect FrameFollowRect(const Rect& mainWindow, float s);

// The strip by which the user drags the main window, in screen coordinates: the top of the client area,
// 30 design pixels high, without its right-most 86 design pixels (the minimise and close buttons).
Rect DragStrip(const Rect& clientOnScreen, float s);

// The title "videzure" in client coordinates.
Rect TitleRect(float s);

// Places of the seven controls of the main window, in client coordinates.
struct MainWindowLayout {
    Rect close;
    Rect minimise;
    Rect version;
    Rect moreTools;
    Rect agree;
    Rect agreementLink;
    Rect feedbackLink;
};

// `client` is the client size; `agreementTextWidth` the width of the agree text with the agreement's title and
// `feedbackTextWidth` that of the feedback link's text, both measured in the frame's font.
MainWindowLayout LayOutMainWindow(Size client, float s, int agreementTextWidth, int feedbackTextWidth);

// Parts of the main window's background picture behind the version label and the more-tools button.
constexpr Rect kVersionBackSource = {200, 16, 350, 31};
constexpr Rect kMoreToolsBackSource = {60, 530, 118, 548};
