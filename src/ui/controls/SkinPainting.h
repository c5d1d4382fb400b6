// Drawing shared by the skinned windows and controls: parts of pictures stretched over rectangles, the layered
// frame picture, and fonts derived from a parent window's font.
#pragma once

#include "framework/Gdiplus.h"
#include "framework/Geometry.h"

// The size of a picture in pixels; 0 x 0 for a missing or undecodable one.
[[nodiscard]] Size ImageSize(Gdiplus::Image* image);

// Draws the `source` part of a picture stretched over `target`. Nothing happens for a missing picture or an
// empty rectangle. Edge pixels are repeated rather than blended with transparency, so stretched parts of a
// background meet without seams.
void DrawImagePart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const Rect& target, const Rect& source);
void DrawImageWhole(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const Rect& target);
// The same straight into a device context; a picture of the target's size is copied without GDI+'s drawing.
void DrawImageWhole(HDC dc, Gdiplus::Image* image, const Rect& target);

// A window's background: the `source` part of a picture (all of it when `source` is empty) stretched over the
// client rectangle, drawn into a memory bitmap first and then copied, so the window never shows half a picture.
void PaintBackgroundPicture(HDC dc, const Rect& client, Gdiplus::Image* image, const Rect& source = {});

// A self-painting control's background in its memory picture: the fill brush, then, when the control has one, the
// `source` part of its parent's picture stretched over it.
void FillControlBackground(HDC memory, const Rect& client, HBRUSH fill, Gdiplus::Image* image, const Rect& source);

// Gives a layered window its picture: `image` stretched to `size` with per-pixel alpha, at the window's
// current top-left corner (the window takes that size). False when the picture could not be made or pushed.
bool PushLayeredPicture(HWND hwnd, Gdiplus::Image* image, Size size, bool highQuality);

// A font made from the parent's font (or the default GUI font): taller by `heightIncrease` logical units and
// with `weight` when the increase is not 0. The caller owns the result.
[[nodiscard]] HFONT CreateFontFromParent(HWND parent, int heightIncrease, int weight);
