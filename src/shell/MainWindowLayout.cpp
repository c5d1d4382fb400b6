// Geometry of the frame and the main window.
#include "shell/MainWindowLayout.h"

Rect FrameRect(Size screen, float s) {
    const int left = screen.width / 2 - Trunc(kFrameDesignSize.width * s / 2);
    const int top = screen.height / 2 - Trunc(kFrameDesignSize.height * s / 2);
    return Rect::FromSize(left, top, Trunc(kFrameDesignSize.width * s), Trunc(kFrameDesignSize.height * s));
}

Rect MainWindowRect(const Rect& frame, float s) {
    return Rect::FromSize(Trunc(frame.left + 3 * s), Trunc(frame.top + 2 * s), Trunc(frame.Width() - 6 * s),
                          Trunc(frame.Height() - 6 * s));
}

Rect FrameFollowRect(const Rect& mainWindow, float s) {
    return {mainWindow.left - Trunc(3 * s), mainWindow.top - Trunc(2 * s), mainWindow.right + Trunc(3 * s),
            mainWindow.bottom + Trunc(4 * s)};
}

Rect DragStrip(const Rect& clientOnScreen, float s) {
    return {clientOnScreen.left, clientOnScreen.top, clientOnScreen.right - Trunc(86 * s),
            clientOnScreen.top + Trunc(30 * s)};
}

Rect TitleRect(float s) {
    return {Trunc(36 * s), 0, Trunc(300 * s), Trunc(42 * s)};
}

MainWindowLayout LayOutMainWindow(Size client, float s, int agreementTextWidth, int feedbackTextWidth) {
    const int w = client.width;
    const int h = client.height;
    // One character's share of the agree text: the check box gets two of them, the link fourteen.
    const int n = agreementTextWidth / 14;
    const int feedbackWidth = Trunc(feedbackTextWidth + 4 * s + 2 + 6);

    MainWindowLayout layout;
    const int closeLeft = Trunc(w - 31.2f * s);
    layout.close = {closeLeft, 0, closeLeft + Trunc(26 * s), Trunc(34 * s)};
    const int minimiseLeft = Trunc(w - 59.8f * s);
    layout.minimise = {minimiseLeft, 0, minimiseLeft + Trunc(26 * s), Trunc(34 * s)};

    const int versionLeft = Trunc(200 * s);
    const int versionTop = Trunc(16 * s);
    layout.version = {versionLeft, versionTop, versionLeft + Trunc(150 * s), versionTop + Trunc(15 * s)};

    const int moreLeft = Trunc(60 * s);
    const int moreTop = h - Trunc(70 * s);
    layout.moreTools = {moreLeft, moreTop, moreLeft + Trunc(58 * s), moreTop + Trunc(18 * s)};

    // The bottom row: check box, agreement link right of it, feedback link at the right edge.
    const int rowTop = Trunc(h - 25 * s);
    const int rowBottom = Trunc(rowTop + 20 * s);
    const int agreeLeft = Trunc(8 * s);
    layout.agree = {agreeLeft, rowTop, Trunc(agreeLeft + 16 * s + 2 * n + 2), rowBottom};
    const int linkLeft = layout.agree.right + 6;
    layout.agreementLink = {linkLeft, rowTop, linkLeft + 14 * n, rowBottom};
    layout.feedbackLink = {w - feedbackWidth - 6, rowTop, w - 6, rowBottom};
    return layout;
}
