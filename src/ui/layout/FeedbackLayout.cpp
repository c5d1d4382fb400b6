// Geometry of the problem-solved feedback window.
#include "ui/layout/FeedbackLayout.h"

#include "ui/layout/PromptLayout.h"

Size FeedbackFrameSize(float s) {
    return {Trunc(kFeedbackFrameDesignSize.width * s), Trunc(kFeedbackFrameDesignSize.height * s)};
}

Rect FeedbackContentRect(const Rect& frame, float s) {
    return Rect::FromSize(Trunc(frame.left + 5 * s), Trunc(frame.top + 4 * s), Trunc(frame.Width() - 10 * s),
                          Trunc(frame.Height() - 11 * s));
}

Rect FeedbackContentFollowRect(const Rect& frame, float s) {
    return {frame.left + Trunc(5 * s), frame.top + Trunc(3 * s), frame.right - Trunc(5 * s),
            frame.bottom - Trunc(7 * s)};
}

Rect FeedbackFrameFollowRect(const Rect& content, float s) {
    return {content.left - Trunc(5 * s), content.top - Trunc(4 * s), content.right + Trunc(5 * s),
            content.bottom + Trunc(7 * s)};
}

Rect FeedbackDragStrip(const Rect& clientOnScreen) {
    // The same strip as a prompt's: both content windows put their close cross in the top-right corner.
    return PromptDragStrip(clientOnScreen);
}

FeedbackChildLayout LayOutFeedbackChild(const Rect& client, float s) {
    FeedbackChildLayout layout;
    const int closeLeft = Trunc(client.right - 18 * s);
    const int closeTop = Trunc(client.top + 6 * s);
    layout.close = {closeLeft, closeTop, Trunc(closeLeft + 12 * s), Trunc(closeTop + 12 * s)};

    const int width = client.Width();
    const int height = client.Height();
    if (width <= kFeedbackContentDesignSize.width) {
        // The design size (or smaller): centred in the client area, unscaled.
        const int left = client.left + width / 2 - 133;
        const int middle = client.top + height / 2;
        const Margins hot = {9, 9, 9, 9};
        layout.solved = {Rect::FromSize(left, middle - 80, 266, 60), hot};
        layout.notSolved = {Rect::FromSize(left, middle, 266, 60), hot};
        layout.moreSolutions = {Rect::FromSize(left, middle + 80, 266, 60), hot};
        return layout;
    }
    // Scaled from the design centre (200, 234). The first button's left edge is cut once, the others' twice,
    // so it can stand one pixel further left.
    const int buttonWidth = Trunc(266 * s);
    const int buttonHeight = Trunc(60 * s);
    const int margin = Trunc(9 * s);
    const Margins hot = {margin, margin, margin, margin};
    const int firstLeft = client.left + Trunc(200 * s - 133 * s);
    const int otherLeft = client.left + Trunc(200 * s) - Trunc(133 * s);
    const int middle = client.top + Trunc(234 * s);
    layout.solved = {Rect::FromSize(firstLeft, client.top + Trunc(234 * s - Trunc(80 * s)), buttonWidth, buttonHeight),
                     hot};
    layout.notSolved = {Rect::FromSize(otherLeft, middle, buttonWidth, buttonHeight), hot};
    layout.moreSolutions = {Rect::FromSize(otherLeft, middle + Trunc(80 * s), buttonWidth, buttonHeight), hot};
    return layout;
}
