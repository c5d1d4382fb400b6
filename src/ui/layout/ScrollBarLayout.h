// Geometry of the skinned scroll bars: where the arrows, the track and the thumb of a bar lie for its scroll
// values and length, which part a point hits, the position a thumb drag gives, which cells of the skin bitmap
// paint a bar, and how a wrapped control trades its own scroll bars for the skinned ones.
//
// "Along" is y on a vertical bar and x on a horizontal one. Scaled sizes are trunc(design size * s).
#pragma once

#include "framework/Geometry.h"

#include <vector>

// Parts of a bar; the values are the Windows scroll codes (SB_LINEUP ... SB_THUMBTRACK) sent for them.
enum ScrollPart : int {
    kPartNone = -1,
    kPartLineUp = 0,   // up or left arrow
    kPartLineDown = 1, // down or right arrow
    kPartPageUp = 2,   // track before the thumb
    kPartPageDown = 3, // track after the thumb
    kPartThumbPosition = 4,
    kPartThumbTrack = 5, // the thumb
};

// SCROLLINFO mask bits.
constexpr unsigned kScrollMaskRange = 0x1;
constexpr unsigned kScrollMaskPage = 0x2;
constexpr unsigned kScrollMaskPos = 0x4;
constexpr unsigned kScrollMaskTrackPos = 0x10;

struct ScrollValues {
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
    int trackPos = -1; // -1 while no thumb drag runs
    friend bool operator==(const ScrollValues&, const ScrollValues&) = default;
};

// The values as a Windows scroll bar keeps them: an inverted or oversized range becomes 0-0, the page at most
// the range, the position between the minimum and LargestScrollPosition.
ScrollValues NormalizeScrollValues(ScrollValues values);
// The furthest position: maximum - page + 1 (the maximum itself for page 0), never below the minimum.
int LargestScrollPosition(const ScrollValues& values);
// How many positions lie past the minimum; 0 when the page shows everything.
int ScrollSpan(const ScrollValues& values);
// The position the thumb shows: the drag position while a drag runs, else the position.
int ShownPosition(const ScrollValues& values);

// Everything but the scroll values that the geometry of one bar depends on.
struct BarMetrics {
    int length = 0;     // L: client height of a vertical bar, client width of a horizontal one
    int cell = 0;       // c: cell size of the skin bitmap
    float scale = 1.0f; // s
    int capSize = 0;    // thumb end-cap length, 0 for the plain thumb
};

// trunc(c * s): the thickness of a bar, the length of its arrows and the tile size of its track.
int BarThickness(int cell, float scale);
// Thumb length for a track length (0 when the track is too short for a thumb).
int ThumbLength(int track, const ScrollValues& values, int capSize);

// Where the parts of a bar lie along it: up arrow [0, arrow), track before [arrow, thumbStart), thumb
// [thumbStart, thumbStart + thumbLength), track after [.., length - arrow), down arrow [length - arrow, length).
struct BarLayout {
    int length = 0;
    int arrow = 0;
    int track = 0;
    int thumbStart = 0;
    int thumbLength = 0; // 0 when no thumb is shown (too short a track, or nothing to scroll)
    int TrackEnd() const { return length - arrow; }
    int ThumbEnd() const { return thumbStart + thumbLength; }
    friend bool operator==(const BarLayout&, const BarLayout&) = default;
};
BarLayout LayOutBar(const BarMetrics& metrics, const ScrollValues& values);

struct Span {
    int start = 0;
    int end = 0;
    bool Contains(int v) const { return v >= start && v < end; }
    friend bool operator==(const Span&, const Span&) = default;
};
// The stretch of the bar a part occupies (empty for kPartNone).
Span PartSpan(const BarLayout& layout, ScrollPart part);
// The part at a coordinate along the bar; kPartNone before its start or past its end.
ScrollPart HitTestBar(const BarLayout& layout, int along);
// The position a thumb drag gives: the position at the drag's start moved by the pointer's travel `delta` in
// proportion to the free travel of the thumb on the unscaled track L - 2c, held between the minimum and
// LargestScrollPosition.
int DragPosition(const BarMetrics& metrics, const ScrollValues& values, int startPosition, int delta);

// ---- painting -------------------------------------------------------------------------------------------

// Rows of the skin: the pictures of each part.
enum SkinRow : int { kRowNormal = 0, kRowHover = 1, kRowPressed = 2 };
// Columns: up, down, thumb, track of a vertical bar (0-3), the same of a horizontal bar (4-7), corner (8).
int SkinColumn(ScrollPart part, bool vertical);
constexpr int kCornerColumn = 8;
// The square of side `cell` at (column * cell, row * cell).
Rect SkinCell(int cell, int column, int row);

// What the pointer is doing to a bar, for picking pictures.
struct BarLook {
    ScrollPart hover = kPartNone;   // arrow or thumb under a free pointer
    ScrollPart pressed = kPartNone; // arrow or track part held down
    bool pressedInside = false;     // the pointer is on the held part
    bool dragging = false;          // the thumb is being dragged
    bool disabled = false;          // a disabled bar shows its arrows and track, but no thumb
};
// The row a part is drawn in: the thumb pressed while dragged; an arrow pressed while held with the pointer on
// it; arrows and thumb hovered under a free pointer; otherwise (and always for the track) normal.
int PartRow(ScrollPart part, const BarLook& look);

// One stretching copy: the `source` part of the skin onto `target`, drawn only inside `clip`.
struct SkinPiece {
    Rect target;
    Rect source;
    Rect clip;
    friend bool operator==(const SkinPiece&, const SkinPiece&) = default;
};
// The copies that paint a whole bar of the given client size, in order: both tracks (tiled, trunc(c*s) apart in
// both directions from the area's top-left, the last tiles cut at the area's end), the thumb unless disabled (end caps
// of k = 3 pixels, cap size + 3 with a cap size, stretched across; the rest of the cell tiled between them) and both
// arrows (stretched).
std::vector<SkinPiece> PaintBar(const BarMetrics& metrics, const ScrollValues& values, bool vertical, Size client,
                                const BarLook& look);

// ---- the wrapped control ----------------------------------------------------------------------------------

// Where the skinned bars go once the control's own bars are pushed out of sight. `client` is the client area the
// control computed for itself, in its window coordinates; the own vertical bar is `ownWidth` wide, the own
// horizontal one `ownHeight` high. The client area grows so that the strips left for the bars are exactly
// `thickness` wide, and the skinned bars fill those strips.
struct SkinnedBarsPlacement {
    Rect client;
    Rect vertical;      // empty without a vertical bar
    Rect horizontal;    // empty without a horizontal bar
    int cornerKind = 0; // 0 none, 1 bottom left, 2 bottom right (both bars)
};
SkinnedBarsPlacement PlaceSkinnedBars(const Rect& client, Size window, bool hasVertical, bool hasHorizontal,
                                      bool leftScrollBar, int thickness, int ownWidth, int ownHeight);

// The clipping window inside the frame: the frame's client area without the strips of the visible skinned
// bars. The control sits at (-left, -top) inside it, that is at the frame's top-left corner.
Rect ClipRect(Size frameClient, bool verticalVisible, bool horizontalVisible, bool leftScrollBar, int thickness);
// The corner square between two bars in the frame.
Rect CornerRect(Size frameClient, int cornerKind, int thickness);
