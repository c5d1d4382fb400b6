// Geometry of the two pages of the main window: where a page stands, and how the detection start page and the
// driver selection page place their controls. Sizes are design pixels times s, cut toward zero.
#pragma once

#include "framework/Geometry.h"
#include "ui/layout/ControlGeometry.h"

// Both pages are drawn for 724 x 318 design pixels.
constexpr int kPageDesignWidth = 724;
constexpr int kPageDesignHeight = 318;

// Where a page stands in the main window's client area (both pages share it).
Rect PageRect(float s);

// The start page's button "开始运行", the part of the page picture behind it and its clickable margins.
struct StartPageLayout {
    Rect button;
    Rect backSource; // in the page picture's pixels
    Margins hotMargins;
};
StartPageLayout LayOutStartPage(const Rect& client, float s);

// The selection page: category tree on the left, package list on the right, "开始卸载" below.
struct FunctionPageLayout {
    Rect tree;
    Rect list;
    Rect button;
    Rect backSource; // of the button, in the page picture's pixels
};
FunctionPageLayout LayOutFunctionPage(const Rect& client, float s);

// Widths of the package list's columns "驱动文件" and "版本" for the list's client width: a third and two thirds
// of what is left after a margin. Never negative (negative widths mean "size to fit" to the list control).
struct PackageColumnWidths {
    int file = 0;
    int version = 0;
};
PackageColumnWidths PackageColumns(int listClientWidth, float s);
