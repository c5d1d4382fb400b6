// Geometry of the agreement text window.
#include "ui/layout/TooltipLayout.h"

Rect TooltipFrameRect(const Rect& current, float s) {
    return {current.left, current.top, Trunc(kTooltipDesignSize.width * s) + current.left,
            Trunc(kTooltipDesignSize.height * s) + current.top};
}

Rect TooltipContentRect(const Rect& frame, float s) {
    return {frame.left + Trunc(1 * s), frame.top + Trunc(1 * s), frame.right - Trunc(2 * s),
            frame.bottom - Trunc(kTooltipPointerRows * s)};
}

Rect TooltipTextBoxRect(const Rect& client, float s) {
    const int inset = Trunc(8 * s);
    return {client.left + inset, client.top + inset, client.right - inset, client.bottom - inset};
}

Rect TooltipBackgroundSource(Size picture) {
    if (picture.width <= 1 || picture.height <= kTooltipPointerRows) {
        return {};
    }
    return {0, 0, picture.width - 1, picture.height - kTooltipPointerRows};
}

Rect AgreementWindowRect(const Rect& mainWindow, float s) {
    const int x = Trunc(mainWindow.Width() / 2 - 270 * s) + mainWindow.left;
    const int y = Trunc(mainWindow.Height() - 430 * s) + mainWindow.top;
    return Rect::FromSize(x, y, Trunc(kTooltipDesignSize.width * s), Trunc(kTooltipDesignSize.height * s));
}
