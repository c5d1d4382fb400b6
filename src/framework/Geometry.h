// Pixel rectangles and points shared by the window code and the pure layout rules (no Windows types here).
#pragma once

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Left/top inclusive, right/bottom exclusive, as Windows rectangles are.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static Rect FromSize(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    Point TopLeft() const { return {left, top}; }
    // The PtInRect rule: an empty rectangle contains nothing.
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Design sizes are multiplied by a float scale factor and cut toward zero; the products stay in float, as the
// skin was measured with, so every caller truncates the same way.
inline int Trunc(float value) {
    return static_cast<int>(value);
}
