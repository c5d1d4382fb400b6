// Geometry of the skinned scroll bars.
#include "ui/layout/ScrollBarLayout.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// Products of positions and pixel lengths overflow 32 bits for long documents.
using Wide = std::int64_t;

int Clamp(Wide value, Wide low, Wide high) {
    return static_cast<int>(std::max(low, std::min(value, high)));
}

// A stretch along the bar as a rectangle across the whole thickness.
Rect AlongRect(bool vertical, int start, int end, int across) {
    return vertical ? Rect{0, start, across, end} : Rect{start, 0, end, across};
}

// Rows [from, to) of a cell along the bar (columns of a horizontal bar's cell).
Rect CellSlice(const Rect& cell, bool vertical, int from, int to) {
    return vertical ? Rect{cell.left, cell.top + from, cell.right, cell.top + to}
                    : Rect{cell.left + from, cell.top, cell.left + to, cell.bottom};
}

// Whole tiles of `tileAlong` x `tileAcross` from the area's top-left corner, each drawn only inside the area.
void Tile(std::vector<SkinPiece>& pieces, const Rect& area, const Rect& source, bool vertical, int tileAlong,
          int tileAcross) {
    if (area.Width() <= 0 || area.Height() <= 0) {
        return;
    }
    const int stepX = std::max(1, vertical ? tileAcross : tileAlong);
    const int stepY = std::max(1, vertical ? tileAlong : tileAcross);
    for (int y = area.top; y < area.bottom; y += stepY) {
        for (int x = area.left; x < area.right; x += stepX) {
            pieces.push_back({{x, y, x + stepX, y + stepY}, source, area});
        }
    }
}

void Stretch(std::vector<SkinPiece>& pieces, const Rect& target, const Rect& source) {
    if (target.Width() > 0 && target.Height() > 0) {
        pieces.push_back({target, source, target});
    }
}

} // namespace

ScrollValues NormalizeScrollValues(ScrollValues values) {
    const Wide range = static_cast<Wide>(values.max) - values.min;
    if (range < 0 || range >= 0x80000000LL) {
        values.min = 0;
        values.max = 0;
    }
    const Wide positions = static_cast<Wide>(values.max) - values.min + 1;
    if (values.page < 0 || values.page > positions) {
        values.page = static_cast<int>(std::min<Wide>(positions, INT_MAX));
    }
    const int largest = LargestScrollPosition(values);
    values.pos = Clamp(values.pos, values.min, largest);
    if (values.trackPos != -1) {
        values.trackPos = Clamp(values.trackPos, values.min, largest);
    }
    return values;
}

int LargestScrollPosition(const ScrollValues& values) {
    const Wide largest = static_cast<Wide>(values.max) - std::max(values.page - 1, 0);
    return static_cast<int>(std::max<Wide>(largest, values.min));
}

int ScrollSpan(const ScrollValues& values) {
    return static_cast<int>(static_cast<Wide>(LargestScrollPosition(values)) - values.min);
}

int ShownPosition(const ScrollValues& values) {
    return values.trackPos != -1 ? values.trackPos : values.pos;
}

int BarThickness(int cell, float scale) {
    return Trunc(static_cast<float>(cell) * scale);
}

int ThumbLength(int track, const ScrollValues& values, int capSize) {
    const Wide positions = static_cast<Wide>(values.max) - values.min + 1;
    if (positions <= 0 || track <= 0) {
        return 0;
    }
    const Wide proportional = static_cast<Wide>(std::max(values.page, 0)) * track / positions;
    Wide length = 0;
    if (capSize <= 0) {
        if (track <= 5) {
            return 0;
        }
        length = proportional > 5 ? proportional : 6;
    } else {
        const Wide shortest = 2 * static_cast<Wide>(capSize) + 6;
        if (track < shortest) {
            return 0;
        }
        length = std::max(proportional, shortest);
    }
    return static_cast<int>(std::min<Wide>(length, track));
}

BarLayout LayOutBar(const BarMetrics& metrics, const ScrollValues& values) {
    BarLayout layout;
    layout.length = std::max(metrics.length, 0);
    // The track is the bar less twice the scaled cell, cut once; the arrows are the scaled cell cut on its own.
    // Where the two cuts differ (s = 1.2: 31 against 2 x 15) the track ends a pixel before the down arrow, and
    // the track after the thumb fills that pixel.
    layout.track = std::max(layout.length - Trunc(2.0f * static_cast<float>(metrics.cell) * metrics.scale), 0);
    layout.arrow = layout.track > 0 ? BarThickness(metrics.cell, metrics.scale) : layout.length / 2;

    const int thumb = ThumbLength(layout.track, values, metrics.capSize);
    const int span = ScrollSpan(values);
    const int free = layout.track - thumb;
    if (span <= 0) {
        // Nothing to scroll: no thumb, the track still split in the middle.
        layout.thumbStart = layout.arrow + free / 2;
        layout.thumbLength = 0;
        return layout;
    }
    const Wide offset = Clamp(static_cast<Wide>(ShownPosition(values)) - values.min, 0, span);
    layout.thumbStart = layout.arrow + static_cast<int>(offset * free / span);
    layout.thumbLength = thumb;
    return layout;
}

Span PartSpan(const BarLayout& layout, ScrollPart part) {
    switch (part) {
    case kPartLineUp:
        return {0, layout.arrow};
    case kPartPageUp:
        return {layout.arrow, layout.thumbStart};
    case kPartThumbTrack:
    case kPartThumbPosition:
        return {layout.thumbStart, layout.ThumbEnd()};
    case kPartPageDown:
        return {layout.ThumbEnd(), layout.TrackEnd()};
    case kPartLineDown:
        return {layout.TrackEnd(), layout.length};
    default:
        return {};
    }
}

ScrollPart HitTestBar(const BarLayout& layout, int along) {
    if (along < 0 || along >= layout.length) {
        return kPartNone;
    }
    if (along < layout.arrow) {
        return kPartLineUp;
    }
    if (along < layout.thumbStart) {
        return kPartPageUp;
    }
    if (along < layout.ThumbEnd()) {
        return kPartThumbTrack;
    }
    if (along < layout.TrackEnd()) {
        return kPartPageDown;
    }
    return kPartLineDown;
}

int DragPosition(const BarMetrics& metrics, const ScrollValues& values, int startPosition, int delta) {
    // The drag works on the unscaled track, L - 2c, and the thumb such a track would have: above s = 1 that
    // track is longer than the drawn one, so the thumb lags a little behind the pointer.
    const int track = std::max(std::max(metrics.length, 0) - 2 * metrics.cell, 0);
    const int free = track - ThumbLength(track, values, metrics.capSize);
    const int span = ScrollSpan(values);
    const Wide moved = free > 0 ? static_cast<Wide>(span) * delta / free : 0;
    return Clamp(static_cast<Wide>(startPosition) + moved, values.min, LargestScrollPosition(values));
}

int SkinColumn(ScrollPart part, bool vertical) {
    const int first = vertical ? 0 : 4;
    switch (part) {
    case kPartLineUp:
        return first;
    case kPartLineDown:
        return first + 1;
    case kPartThumbTrack:
    case kPartThumbPosition:
        return first + 2;
    default:
        return first + 3; // the track
    }
}

Rect SkinCell(int cell, int column, int row) {
    return Rect::FromSize(column * cell, row * cell, cell, cell);
}

int PartRow(ScrollPart part, const BarLook& look) {
    switch (part) {
    case kPartThumbTrack:
        if (look.dragging) {
            return kRowPressed;
        }
        return look.pressed == kPartNone && look.hover == part ? kRowHover : kRowNormal;
    case kPartLineUp:
    case kPartLineDown:
        if (look.dragging) {
            return kRowNormal;
        }
        if (look.pressed != kPartNone) {
            return look.pressed == part && look.pressedInside ? kRowPressed : kRowNormal;
        }
        return look.hover == part ? kRowHover : kRowNormal;
    default:
        return kRowNormal;
    }
}

std::vector<SkinPiece> PaintBar(const BarMetrics& metrics, const ScrollValues& values, bool vertical, Size client,
                                const BarLook& look) {
    std::vector<SkinPiece> pieces;
    const int c = metrics.cell;
    if (c <= 0) {
        return pieces;
    }
    const BarLayout layout = LayOutBar(metrics, values);
    const int across = vertical ? client.width : client.height;
    const int tile = std::max(1, BarThickness(c, metrics.scale));
    auto area = [&](ScrollPart part) {
        const Span span = PartSpan(layout, part);
        return AlongRect(vertical, span.start, span.end, across);
    };

    const Rect track = SkinCell(c, SkinColumn(kPartPageUp, vertical), kRowNormal);
    if (look.disabled) {
        // The whole track, where the thumb would be included.
        Tile(pieces, AlongRect(vertical, layout.arrow, layout.TrackEnd(), across), track, vertical, tile, tile);
    } else {
        Tile(pieces, area(kPartPageUp), track, vertical, tile, tile);
        Tile(pieces, area(kPartPageDown), track, vertical, tile, tile);
    }

    if (layout.thumbLength > 0 && !look.disabled) {
        const Rect cell = SkinCell(c, SkinColumn(kPartThumbTrack, vertical), PartRow(kPartThumbTrack, look));
        const int k = std::min(metrics.capSize <= 0 ? 3 : metrics.capSize + 3, c / 2);
        const int length = layout.thumbLength;
        const int cap = std::min(k, length / 2);
        const int middleSource = c - 2 * k;
        const Rect middle =
            middleSource > 0 ? CellSlice(cell, vertical, k, c - k) : CellSlice(cell, vertical, c / 2, c / 2 + 1);
        const int middleTile = std::max(1, Trunc(static_cast<float>(std::max(middleSource, 1)) * metrics.scale));
        const int start = layout.thumbStart;
        Tile(pieces, AlongRect(vertical, start + cap, start + length - cap, across), middle, vertical, middleTile,
             std::max(across, 1));
        Stretch(pieces, AlongRect(vertical, start, start + cap, across), CellSlice(cell, vertical, 0, k));
        Stretch(pieces, AlongRect(vertical, start + length - cap, start + length, across),
                CellSlice(cell, vertical, c - k, c));
    }

    for (ScrollPart arrow : {kPartLineUp, kPartLineDown}) {
        Stretch(pieces, area(arrow), SkinCell(c, SkinColumn(arrow, vertical), PartRow(arrow, look)));
    }
    return pieces;
}

SkinnedBarsPlacement PlaceSkinnedBars(const Rect& client, Size window, bool hasVertical, bool hasHorizontal,
                                      bool leftScrollBar, int thickness, int ownWidth, int ownHeight) {
    SkinnedBarsPlacement placement;
    Rect c = client;
    const int t = thickness;
    if (hasVertical) {
        // The strip left for the bar is exactly t wide, and always inside the window.
        if (leftScrollBar) {
            c.left = std::max(c.left - (ownWidth - t), t);
            c.left = std::min(c.left, std::max(c.right, t));
        } else {
            c.right = std::min(c.right + (ownWidth - t), window.width - t);
            c.right = std::max(c.right, c.left);
        }
    }
    if (hasHorizontal) {
        c.bottom = std::min(c.bottom + (ownHeight - t), window.height - t);
        c.bottom = std::max(c.bottom, c.top);
    }
    placement.client = c;
    if (hasVertical) {
        placement.vertical =
            leftScrollBar ? Rect{c.left - t, c.top, c.left, c.bottom} : Rect{c.right, c.top, c.right + t, c.bottom};
    }
    if (hasHorizontal) {
        placement.horizontal = {c.left, c.bottom, c.right, c.bottom + t};
    }
    if (hasVertical && hasHorizontal) {
        placement.cornerKind = leftScrollBar ? 1 : 2;
    }
    return placement;
}

Rect ClipRect(Size frameClient, bool verticalVisible, bool horizontalVisible, bool leftScrollBar, int thickness) {
    Rect clip{0, 0, frameClient.width, frameClient.height};
    if (verticalVisible) {
        if (leftScrollBar) {
            clip.left = std::min(thickness, clip.right);
        } else {
            clip.right = std::max(clip.right - thickness, 0);
        }
    }
    if (horizontalVisible) {
        clip.bottom = std::max(clip.bottom - thickness, 0);
    }
    return clip;
}

Rect CornerRect(Size frameClient, int cornerKind, int thickness) {
    const int t = thickness;
    switch (cornerKind) {
    case 1:
        return {0, frameClient.height - t, t, frameClient.height};
    case 2:
        return {frameClient.width - t, frameClient.height - t, frameClient.width, frameClient.height};
    default:
        return {};
    }
}
