// Geometry of the two pages.
#include "ui/layout/PageLayout.h"

#include <algorithm>

Rect PageRect(float s) {
    return Rect::FromSize(Trunc(38 * s), Trunc(42 * s), Trunc(kPageDesignWidth * s), Trunc(kPageDesignHeight * s));
}

StartPageLayout LayOutStartPage(const Rect& client, float s) {
    constexpr int kWidth = 259;
    constexpr int kHeight = 85;
    constexpr int kMargin = 19;
    StartPageLayout layout;
    const int width = client.Width();
    if (width > kPageDesignWidth) {
        // A scaled page: the button scales with the picture and keeps its place in it.
        layout.button =
            Rect::FromSize(Trunc(kPageDesignWidth * s / 2 - kWidth * s / 2) + client.left,
                           Trunc(kPageDesignHeight * s - 100 * s) + client.top, Trunc(kWidth * s), Trunc(kHeight * s));
        layout.backSource = Rect::FromSize(233, 218, kWidth, kHeight);
        const int margin = Trunc(kMargin * s);
        layout.hotMargins = {margin, margin, margin, margin};
    } else {
        // The design size (or smaller): centred, 100 pixels above the bottom, the picture unscaled.
        layout.button =
            Rect::FromSize(width / 2 + client.left - 129, client.Height() + client.top - 100, kWidth, kHeight);
        layout.backSource = layout.button;
        layout.hotMargins = {kMargin, kMargin, kMargin, kMargin};
    }
    return layout;
}

FunctionPageLayout LayOutFunctionPage(const Rect& client, float s) {
    constexpr int kWidth = 118;
    constexpr int kHeight = 36;
    FunctionPageLayout layout;
    const int width = client.Width();
    const int half = width / 2;
    const int edge = Trunc(10 * s);
    const int bottom = client.bottom - Trunc(50 * s);
    layout.tree = {edge + client.left, edge + client.top, Trunc(half - 10 * s), bottom};
    layout.list = {Trunc(half + 10 * s), edge + client.top, Trunc(client.right - 10 * s), bottom};
    if (width > kPageDesignWidth) {
        layout.button =
            Rect::FromSize(Trunc(kPageDesignWidth * s - (kWidth * s + 10 * s)) + client.left,
                           Trunc(kPageDesignHeight * s - 40 * s) + client.top, Trunc(kWidth * s), Trunc(kHeight * s));
        layout.backSource = Rect::FromSize(596, 278, kWidth, kHeight);
    } else {
        layout.button =
            Rect::FromSize(client.right + client.left - 128, client.bottom + client.top - 40, kWidth, kHeight);
        layout.backSource = layout.button;
    }
    return layout;
}

PackageColumnWidths PackageColumns(int listClientWidth, float s) {
    const int third = std::max(0, (listClientWidth - Trunc(20 * s)) / 3);
    return {third, 2 * third};
}
