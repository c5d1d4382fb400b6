// The frame's and main window's geometry at the scale factors the tool meets.
#include "shell/MainWindowLayout.h"
#include "ui/layout/ScaleRule.h"

#include "GeometryPrinting.h"

#include <gtest/gtest.h>

namespace {

constexpr Size kScreen = {1920, 1440};

} // namespace

TEST(FramePlacement, At96DpiTheMainWindowIs800By600CentredAndTheFrame806By606AroundIt) {
    const float s = ScaleFromDpi(96);
    const Rect frame = FrameRect(kScreen, s);
    EXPECT_EQ(frame, Rect::FromSize(557, 417, 806, 606));
    const Rect main = MainWindowRect(frame, s);
    EXPECT_EQ(main, Rect::FromSize(560, 419, 800, 600));
    EXPECT_EQ((main.left + main.right) / 2, kScreen.width / 2);
    EXPECT_EQ((main.top + main.bottom) / 2, kScreen.height / 2 - 1);
    // The frame follows the main window back to where it was drawn: (3, 2) of it holds the main window.
    EXPECT_EQ(FrameFollowRect(main, s), frame);
}

TEST(FramePlacement, At120DpiThePictureIs967By727AndTheFrameEndsUp965By725) {
    const float s = ScaleFromDpi(120);
    const Rect frame = FrameRect(kScreen, s);
    EXPECT_EQ(frame.Width(), 967);
    EXPECT_EQ(frame.Height(), 727);
    EXPECT_EQ(frame.TopLeft(), (Point{960 - 483, 720 - 363}));
    const Rect main = MainWindowRect(frame, s);
    EXPECT_EQ(main, Rect::FromSize(frame.left + 3, frame.top + 2, 959, 719));
    const Rect follow = FrameFollowRect(main, s);
    EXPECT_EQ(follow, (Rect{main.left - 3, main.top - 2, main.right + 3, main.bottom + 4}));
    EXPECT_EQ(follow.Width(), 965);
    EXPECT_EQ(follow.Height(), 725);
}

TEST(FramePlacement, TheFrameAlwaysEndsUpAroundTheMainWindowOnOddScreens) {
    for (const int dpi : {96, 110, 120, 125, 144, 192}) {
        for (const Size screen : {Size{1024, 768}, Size{1366, 768}, Size{801, 601}}) {
            SCOPED_TRACE(std::to_string(dpi) + " dpi " + std::to_string(screen.width));
            const float s = ScaleFromDpi(dpi);
            const Rect main = MainWindowRect(FrameRect(screen, s), s);
            const Rect follow = FrameFollowRect(main, s);
            EXPECT_LT(follow.left, main.left);
            EXPECT_LT(follow.top, main.top);
            EXPECT_GT(follow.right, main.right);
            EXPECT_GT(follow.bottom, main.bottom);
        }
    }
}

TEST(FramePlacement, AWindowTooLargeForTheWorkAreaGetsTheLargestScaleAtWhichItFits) {
    for (const int dpi : {96, 120, 144, 168, 192}) {
        for (const Size work : {Size{1024, 768}, Size{1366, 768}, Size{1920, 1080}, Size{1024, 728}}) {
            SCOPED_TRACE(std::to_string(dpi) + " dpi on " + std::to_string(work.width) + "x" +
                         std::to_string(work.height));
            const float wanted = ScaleFromDpi(dpi);
            const float s = FitScale(wanted, kFrameDesignSize, work);
            const Rect frame = FrameRect(work, s);
            EXPECT_GE(frame.left, 0);
            EXPECT_GE(frame.top, 0);
            EXPECT_LE(frame.right, work.width);
            EXPECT_LE(frame.bottom, work.height);
            EXPECT_LE(s, wanted);
            if (s < wanted) {
                // The largest scale: a little more and the frame would be too large in one direction.
                const Rect larger = FrameRect(work, s * 1.01f);
                EXPECT_TRUE(larger.Width() > work.width || larger.Height() > work.height);
            }
        }
    }
    EXPECT_EQ(FitScale(1.2f, kFrameDesignSize, {1920, 1080}), 1.2f) << "a window that fits keeps its scale";
}

TEST(DragStrip, LeavesTheMinimiseAndCloseButtonsOut) {
    // An 800 x 600 client area at (100, 50) on the screen.
    const Rect client = Rect::FromSize(100, 50, 800, 600);
    const Rect strip = DragStrip(client, 1.0f);
    EXPECT_EQ(strip, (Rect{100, 50, 814, 80}));
    // Both buttons (client x 740..794) lie right of the strip, so pressing them never drags the window.
    EXPECT_FALSE(strip.Contains({100 + 740, 60}));
    EXPECT_TRUE(strip.Contains({100 + 713, 60}));
    EXPECT_FALSE(strip.Contains({500, 80}));
    // At s = 1.25: 37 pixels high, 107 left out on the right.
    EXPECT_EQ(DragStrip(Rect::FromSize(0, 0, 959, 719), 1.25f), (Rect{0, 0, 852, 37}));
}

TEST(TitleArea, SpansTheBlueStripLeftOfTheVersion) {
    EXPECT_EQ(TitleRect(1.0f), (Rect{36, 0, 300, 42}));
    EXPECT_EQ(TitleRect(1.25f), (Rect{45, 0, 375, 52}));
}

TEST(MainWindowControls, At96DpiEveryControlSitsWhereTheArtLeftRoomForIt) {
    // 宋体 10 at 96 dpi: the agree text measures 231 pixels (n = 16), "反馈问题" 52.
    const MainWindowLayout layout = LayOutMainWindow({800, 600}, 1.0f, 231, 52);
    EXPECT_EQ(layout.close, (Rect{768, 0, 794, 34}));
    EXPECT_EQ(layout.minimise, (Rect{740, 0, 766, 34}));
    // At s = 1 the version label and the more-tools button cover exactly the picture parts drawn behind them.
    EXPECT_EQ(layout.version, kVersionBackSource);
    EXPECT_EQ(layout.moreTools, kMoreToolsBackSource);
    EXPECT_EQ(layout.agree, (Rect{8, 575, 58, 595}));
    EXPECT_EQ(layout.agreementLink, (Rect{64, 575, 288, 595}));
    EXPECT_EQ(layout.feedbackLink, (Rect{730, 575, 794, 595}));
}

TEST(MainWindowControls, At120DpiTheyGrowWithTheScaleAndKeepTheirEdges) {
    const float s = ScaleFromDpi(120);
    const MainWindowLayout layout = LayOutMainWindow({959, 719}, s, 280, 62);
    EXPECT_EQ(layout.close, (Rect{921, 0, 952, 40}));
    EXPECT_EQ(layout.minimise, (Rect{887, 0, 918, 40}));
    EXPECT_EQ(layout.version, (Rect{240, 19, 420, 37}));
    EXPECT_EQ(layout.moreTools, (Rect{72, 635, 141, 656}));
    // n = 280 / 14 = 20: the box gets 2n + 16·s + 2 pixels, the link 14n.
    EXPECT_EQ(layout.agree, (Rect{9, 689, 70, 713}));
    EXPECT_EQ(layout.agreementLink, (Rect{76, 689, 356, 713}));
    // f = trunc(62 + 4.8 + 8) = 74.
    EXPECT_EQ(layout.feedbackLink, (Rect{879, 689, 953, 713}));
}

TEST(MainWindowControls, TheBottomRowSharesOneLineAndTheButtonsStayInsideTheClientArea) {
    for (const int dpi : {96, 120, 125, 144}) {
        SCOPED_TRACE(dpi);
        const float s = ScaleFromDpi(dpi);
        const Size client = {Trunc(Trunc(806 * s) - 6 * s), Trunc(Trunc(606 * s) - 6 * s)};
        const MainWindowLayout layout = LayOutMainWindow(client, s, Trunc(231 * s), Trunc(52 * s));
        EXPECT_EQ(layout.agree.top, layout.agreementLink.top);
        EXPECT_EQ(layout.agree.top, layout.feedbackLink.top);
        EXPECT_EQ(layout.agree.bottom, layout.feedbackLink.bottom);
        EXPECT_EQ(layout.agreementLink.left, layout.agree.right + 6);
        EXPECT_EQ(layout.feedbackLink.right, client.width - 6);
        EXPECT_LT(layout.agreementLink.right, layout.feedbackLink.left);
        EXPECT_LE(layout.close.right, client.width);
        EXPECT_LT(layout.minimise.right, layout.close.left);
        EXPECT_LE(layout.agree.bottom, client.height);
        // Below the pages (42 + 318 design pixels down) and above the bottom row.
        EXPECT_GE(layout.moreTools.top, Trunc(42 * s) + Trunc(318 * s));
        EXPECT_LT(layout.moreTools.bottom, layout.agree.top);
    }
}
