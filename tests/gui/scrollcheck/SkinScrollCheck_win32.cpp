// Skinned scroll bars on real controls under Windows: a rich-edit box and a multi-line edit box are wrapped,
// their own bars hidden, the skinned bars mirror them and scroll them, and the wrapping is undone when the
// control or its parent goes. Input comes as the mouse messages a bar receives.
#include "ui/controls/SkinScrollWnd.h"

#include "resources/resource.h"

#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

namespace {

constexpr int kTextId = 1009;
constexpr wchar_t kParentClass[] = L"SkinScrollTestParent";

// WM_COMMAND notifications the parent saw, by code.
int g_changeNotifications = 0;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kTextId && HIWORD(wParam) == EN_CHANGE) {
        ++g_changeNotifications;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

std::wstring LongText(int lines) {
    std::wstring text;
    for (int i = 1; i <= lines; ++i) {
        text += L"第 " + std::to_wstring(i) + L" 行：用户使用须知与隐私权保护的条款文字";
        if (i < lines) {
            text += L"\r\n";
        }
    }
    return text;
}

SCROLLINFO OwnInfo(HWND hwnd, int which) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ::GetScrollInfo(hwnd, which, &info);
    return info;
}

Rect ScreenRect(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return ToRect(r);
}

Rect ClientOnScreen(HWND hwnd) {
    RECT r{};
    ::GetClientRect(hwnd, &r);
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return ToRect(r);
}

LPARAM BarPoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

class SkinScroll : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ::LoadLibraryW(L"riched20.dll");
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kParentClass;
        ::RegisterClassExW(&wc);
    }

    void SetUp() override {
        m_skin = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SCROLL_SKIN));
        ASSERT_NE(m_skin, nullptr);
        m_parent = ::CreateWindowExW(0, kParentClass, L"skin scroll test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                     600, 500, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_parent, nullptr);
        g_changeNotifications = 0;
    }

    void TearDown() override {
        if (m_parent != nullptr && ::IsWindow(m_parent)) {
            ::DestroyWindow(m_parent);
        }
        Pump();
        ::DeleteObject(m_skin);
    }

    HWND MakeBox(const wchar_t* cls, DWORD style, DWORD exStyle = 0, int lines = 200) {
        HWND box = ::CreateWindowExW(exStyle, cls, L"", WS_CHILD | WS_VISIBLE | style, 20, 30, 400, 300, m_parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)),
                                     ::GetModuleHandleW(nullptr), nullptr);
        if (box != nullptr && lines > 0) {
            ::SetWindowTextW(box, LongText(lines).c_str());
        }
        return box;
    }

    HWND MakeRichEdit(int lines = 200) {
        return MakeBox(L"RichEdit20W", WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_DISABLENOSCROLL, 0,
                       lines);
    }

    static int FrameCount(HWND parent) {
        int count = 0;
        for (HWND child = ::FindWindowExW(parent, nullptr, nullptr, L"SkinScrollBarFrame"); child != nullptr;
             child = ::FindWindowExW(parent, child, nullptr, L"SkinScrollBarFrame")) {
            ++count;
        }
        return count;
    }

    // Presses the left button on a bar at (x, y), moves to each further point and releases at the last.
    static void Drag(HWND bar, std::initializer_list<POINT> points) {
        auto it = points.begin();
        ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, BarPoint(it->x, it->y));
        POINT last = *it;
        for (++it; it != points.end(); ++it) {
            ::SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, BarPoint(it->x, it->y));
            last = *it;
        }
        ::SendMessageW(bar, WM_LBUTTONUP, 0, BarPoint(last.x, last.y));
        Pump();
    }

    static void Click(HWND bar, int x, int y) { Drag(bar, {{x, y}}); }

    static int Largest(const SCROLLINFO& info) { return info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0); }

    HBITMAP m_skin = nullptr;
    HWND m_parent = nullptr;
};

TEST_F(SkinScroll, FrameTakesTheControlsPlaceAndHidesItsOwnBar) {
    HWND box = MakeRichEdit();
    const Rect before = ScreenRect(box);
    CSkinScrollWnd* frame = SkinWndScroll(box, m_skin, 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    Pump();

    // The frame stands where the control stood, with its id; the control sits in "LIMIT" inside it.
    EXPECT_EQ(ScreenRect(frame->Hwnd()), before);
    EXPECT_EQ(::GetDlgItem(m_parent, kTextId), frame->Hwnd());
    EXPECT_EQ(::GetParent(box), frame->Limit());
    EXPECT_EQ(::GetParent(frame->Limit()), frame->Hwnd());
    EXPECT_EQ(::GetDlgCtrlID(frame->Limit()), CSkinScrollWnd::kLimitId);
    wchar_t text[32] = {};
    ::GetWindowTextW(frame->Limit(), text, 32);
    EXPECT_STREQ(text, L"LIMIT");
    EXPECT_EQ(CSkinScrollWnd::FromControl(box), frame);
    EXPECT_EQ(frame->Thickness(), 13);

    // The frame carries the border now; the control fills the frame's client area.
    EXPECT_TRUE(::GetWindowLongW(frame->Hwnd(), GWL_STYLE) & WS_BORDER);
    EXPECT_FALSE(::GetWindowLongW(box, GWL_STYLE) & WS_BORDER);
    const Rect frameOnScreen = frame->ClientRectOnScreen();
    EXPECT_EQ(ScreenRect(box), frameOnScreen);

    // The vertical skinned bar: visible, 13 wide, along the right edge; the clipping window ends where it starts,
    // so the control's own bar is cut off.
    const CSkinScrollBar& vertical = frame->VerticalBar();
    ASSERT_TRUE(::IsWindowVisible(vertical.Hwnd()));
    EXPECT_FALSE(::IsWindowVisible(frame->HorizontalBar().Hwnd()));
    EXPECT_EQ(::GetDlgCtrlID(vertical.Hwnd()), CSkinScrollWnd::kVerticalBarId);
    EXPECT_EQ(::GetDlgCtrlID(frame->HorizontalBar().Hwnd()), CSkinScrollWnd::kHorizontalBarId);
    const Rect bar = ScreenRect(vertical.Hwnd());
    EXPECT_EQ(bar, (Rect{frameOnScreen.right - 13, frameOnScreen.top, frameOnScreen.right, frameOnScreen.bottom}));
    const Rect limit = ScreenRect(frame->Limit());
    EXPECT_EQ(limit, (Rect{frameOnScreen.left, frameOnScreen.top, frameOnScreen.right - 13, frameOnScreen.bottom}));
    // The control's client area reaches exactly to the skinned bar.
    EXPECT_EQ(ClientOnScreen(box).right, bar.left);
    EXPECT_EQ(frame->CornerKind(), 0);
}

TEST_F(SkinScroll, SkinnedBarMirrorsTheControlAtOnce) {
    HWND box = MakeRichEdit();
    CSkinScrollWnd* frame = SkinWndScroll(box, m_skin, 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    Pump();
    HWND bar = frame->VerticalBar().Hwnd();
    auto expectInStep = [&](const char* after) {
        SCOPED_TRACE(after);
        const SCROLLINFO own = OwnInfo(box, SB_VERT);
        const SCROLLINFO skinned = OwnInfo(bar, SB_CTL); // GetScrollInfo works on the skinned bar
        EXPECT_EQ(skinned.nMin, own.nMin);
        EXPECT_EQ(skinned.nMax, own.nMax);
        EXPECT_EQ(skinned.nPage, own.nPage);
        EXPECT_EQ(skinned.nPos, own.nPos);
        EXPECT_EQ(skinned.nTrackPos, own.nPos);
    };
    expectInStep("wrapping");
    const SCROLLINFO start = OwnInfo(box, SB_VERT);
    ASSERT_GT(Largest(start), start.nMin) << "the text must be longer than the box";
    EXPECT_TRUE(::IsWindowEnabled(bar));

    // Keyboard, wheel and scroll requests made to the control itself: no timer needed.
    ::SendMessageW(box, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_GT(OwnInfo(box, SB_VERT).nPos, start.nPos);
    expectInStep("page down key");
    ::SendMessageW(box, WM_KEYDOWN, VK_END, 0);
    ::SendMessageW(box, EM_SCROLLCARET, 0, 0);
    expectInStep("end key");
    ::SendMessageW(box, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    expectInStep("wheel");
    ::SendMessageW(box, EM_SCROLL, SB_PAGEUP, 0);
    expectInStep("EM_SCROLL");
    // New text: a new range.
    ::SetWindowTextW(box, LongText(400).c_str());
    Pump();
    expectInStep("longer text");
    // Short text: the bar stays.
    ::SetWindowTextW(box, L"一行");
    Pump();
    expectInStep("short text");
    EXPECT_TRUE(::IsWindowVisible(bar));
}

TEST_F(SkinScroll, QuietChangesAreMirroredByTheTimerAndDecideWhetherTheBarIsEnabled) {
    // A window that only has scroll bars: its scroll state is set from outside, without a message to it.
    HWND box = MakeBox(kParentClass, WS_VSCROLL, 0, 0);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = 99;
    info.nPage = 10;
    info.nPos = 20;
    ::SetScrollInfo(box, SB_VERT, &info, TRUE);
    CSkinScrollWnd* frame = SkinWndScroll(box, m_skin, 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    Pump();
    const CSkinScrollBar& bar = frame->VerticalBar();
    EXPECT_EQ(bar.Values().pos, 20);
    EXPECT_TRUE(bar.IsEnabled());

    auto waitFor = [](auto condition) {
        for (int i = 0; i < 100 && !condition(); ++i) {
            ::Sleep(20);
            Pump();
        }
        return condition();
    };
    info.nPos = 60;
    ::SetScrollInfo(box, SB_VERT, &info, TRUE);
    EXPECT_TRUE(waitFor([&] { return bar.Values().pos == 60; }));
    // Everything fits: the bar stays, disabled and without a thumb.
    info.fMask |= SIF_DISABLENOSCROLL;
    info.nPage = 100;
    ::SetScrollInfo(box, SB_VERT, &info, TRUE);
    EXPECT_TRUE(waitFor([&] { return !bar.IsEnabled(); }));
    EXPECT_TRUE(::IsWindowVisible(bar.Hwnd()));
    EXPECT_EQ(bar.Values().page, 100);
    info.nPage = 50;
    ::SetScrollInfo(box, SB_VERT, &info, TRUE);
    EXPECT_TRUE(waitFor([&] { return bar.IsEnabled(); }));
    // The own bar disabled with a range that would scroll: the skinned bar follows the own bar.
    ::EnableScrollBar(box, SB_VERT, ESB_DISABLE_BOTH);
    ::SendMessageW(box, WM_NULL, 0, 0);
    EXPECT_FALSE(bar.IsEnabled());
}

TEST_F(SkinScroll, ArrowsTrackAndThumbScrollTheWholeText) {
    HWND box = MakeRichEdit();
    CSkinScrollWnd* frame = SkinWndScroll(box, m_skin, 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    Pump();
    HWND bar = frame->VerticalBar().Hwnd();
    RECT client{};
    ::GetClientRect(bar, &client);
    const int length = client.bottom;
    const SCROLLINFO start = OwnInfo(box, SB_VERT);
    const int largest = Largest(start);

    // Down arrow: one step down; up arrow: back.
    Click(bar, 6, length - 3);
    const int afterDown = OwnInfo(box, SB_VERT).nPos;
    EXPECT_GT(afterDown, start.nPos);
    EXPECT_EQ(frame->VerticalBar().Values().pos, afterDown);
    Click(bar, 6, 3);
    EXPECT_EQ(OwnInfo(box, SB_VERT).nPos, start.nPos);
    // Up arrow at the top: nothing moves.
    Click(bar, 6, 3);
    EXPECT_EQ(OwnInfo(box, SB_VERT).nPos, start.nPos);

    // The track below the thumb pages down, by more than an arrow step.
    Click(bar, 6, length - 20);
    const int afterPage = OwnInfo(box, SB_VERT).nPos;
    EXPECT_GT(afterPage - start.nPos, afterDown - start.nPos);
    EXPECT_EQ(frame->VerticalBar().Values().pos, afterPage);

    // The thumb dragged past the bottom: the end of the text; past the top: its start.
    BarLayout layout = LayOutBar({length, 13, 1.0f, 0}, frame->VerticalBar().Values());
    const int grab = layout.thumbStart + layout.thumbLength / 2;
    Drag(bar, {{6, grab}, {6, grab + 50}, {6, length + 400}});
    // The box stops where it can go no further (a rich-edit box stops one short of the bar's last position).
    const int end = OwnInfo(box, SB_VERT).nPos;
    EXPECT_GE(end, largest - 1);
    ::SendMessageW(box, EM_SCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(OwnInfo(box, SB_VERT).nPos, end);
    EXPECT_EQ(frame->VerticalBar().Values().pos, end);
    EXPECT_EQ(frame->VerticalBar().Values().trackPos, -1);
    layout = LayOutBar({length, 13, 1.0f, 0}, frame->VerticalBar().Values());
    EXPECT_GE(layout.ThumbEnd(), length - 13 - 1);
    // The last line is in view.
    const int lastChar = ::GetWindowTextLengthW(box) - 1;
    POINTL lastPoint{};
    ::SendMessageW(box, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&lastPoint), lastChar);
    RECT boxClient{};
    ::GetClientRect(box, &boxClient);
    EXPECT_GE(lastPoint.y, 0);
    EXPECT_LT(lastPoint.y, boxClient.bottom);
    // Down arrow at the end: nothing moves.
    Click(bar, 6, length - 3);
    EXPECT_EQ(OwnInfo(box, SB_VERT).nPos, end);

    const int grabAgain = layout.thumbStart + layout.thumbLength / 2;
    Drag(bar, {{6, grabAgain}, {6, grabAgain - 30}, {6, -300}});
    EXPECT_EQ(OwnInfo(box, SB_VERT).nPos, start.nMin);
    EXPECT_EQ(::SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_EQ(frame->VerticalBar().Values().pos, start.nMin);
}

TEST_F(SkinScroll, DoubleClickOnABarDoesNothing) {
    HWND box = MakeRichEdit();
    CSkinScrollWnd* frame = SkinWndScroll(box, m_skin, 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    Pump();
    HWND bar = frame->VerticalBar().Hwnd();
    RECT client{};
    ::GetClientRect(bar, &client);
    const int before = OwnInfo(box, SB_VERT).nPos;
    EXPECT_EQ(::SendMessageW(bar, WM_LBUTTONDBLCLK, MK_LBUTTON, BarPoint(6, client.bottom - 3)), 1);
    ::SendMessageW(bar, WM_LBUTTONUP, 0, BarPoint(6, client.bottom - 3));
    Pump();
    EXPECT_EQ(OwnInfo(box, SB_VERT).nPos, before);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(SkinScroll, EditBoxWithBothBarsAtAHigherScale) {
    // A plain multi-line edit box with a client edge and both bars, at 144 dpi.
    HWND box =
        MakeBox(L"EDIT", WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 0);
    std::wstring text;
    for (int i = 0; i < 120; ++i) {
        text += std::wstring(300, static_cast<wchar_t>(L'a' + i % 26)) + L"\r\n";
    }
    ::SetWindowTextW(box, text.c_str());
    const Rect before = ScreenRect(box);
    CSkinScrollWnd* frame = SkinWndScroll(box, m_skin, 1.44f, 0);
    ASSERT_NE(frame, nullptr);
    Pump();
    EXPECT_EQ(frame->Thickness(), 18);
    EXPECT_EQ(ScreenRect(frame->Hwnd()), before);
    EXPECT_FALSE(::GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    const Rect frameClient = frame->ClientRectOnScreen();
    EXPECT_EQ(ScreenRect(frame->VerticalBar().Hwnd()),
              (Rect{frameClient.right - 18, frameClient.top, frameClient.right, frameClient.bottom - 18}));
    EXPECT_EQ(ScreenRect(frame->HorizontalBar().Hwnd()),
              (Rect{frameClient.left, frameClient.bottom - 18, frameClient.right - 18, frameClient.bottom}));
    EXPECT_EQ(frame->CornerKind(), 2);
    EXPECT_EQ(ScreenRect(frame->Limit()),
              (Rect{frameClient.left, frameClient.top, frameClient.right - 18, frameClient.bottom - 18}));

    // The horizontal bar scrolls sideways and follows the control.
    HWND horizontal = frame->HorizontalBar().Hwnd();
    RECT client{};
    ::GetClientRect(horizontal, &client);
    Click(horizontal, client.right - 3, 9);
    EXPECT_GT(OwnInfo(box, SB_HORZ).nPos, 0);
    EXPECT_EQ(frame->HorizontalBar().Values().pos, OwnInfo(box, SB_HORZ).nPos);
    const SCROLLINFO vertical = OwnInfo(box, SB_VERT);
    Drag(frame->VerticalBar().Hwnd(), {{9, 30}, {9, 2000}});
    EXPECT_EQ(OwnInfo(box, SB_VERT).nPos, Largest(vertical));
    EXPECT_EQ(frame->VerticalBar().Values().pos, Largest(vertical));
}

TEST_F(SkinScroll, NotificationsStillReachTheParent) {
    HWND box = MakeBox(L"EDIT", WS_VSCROLL | ES_MULTILINE, WS_EX_CLIENTEDGE, 0);
    ASSERT_NE(SkinWndScroll(box, m_skin, 1.0f, 0), nullptr);
    Pump();
    g_changeNotifications = 0;
    ::SendMessageW(box, WM_CHAR, L'x', 1);
    EXPECT_EQ(g_changeNotifications, 1);
}

TEST_F(SkinScroll, UnwrappingGivesTheControlBack) {
    HWND box = MakeBox(L"EDIT", WS_VSCROLL | WS_BORDER | ES_MULTILINE, WS_EX_CLIENTEDGE, 50);
    const Rect before = ScreenRect(box);
    const LONG style = ::GetWindowLongW(box, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongW(box, GWL_EXSTYLE);
    CSkinScrollWnd* frame = SkinWndScroll(box, m_skin, 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    Pump();
    EXPECT_EQ(FrameCount(m_parent), 1);

    EXPECT_TRUE(UnskinWndScroll(box));
    Pump();
    EXPECT_EQ(FrameCount(m_parent), 0);
    EXPECT_EQ(::GetParent(box), m_parent);
    EXPECT_EQ(ScreenRect(box), before);
    EXPECT_EQ(::GetWindowLongW(box, GWL_STYLE), style);
    EXPECT_EQ(::GetWindowLongW(box, GWL_EXSTYLE), exStyle);
    EXPECT_EQ(::GetDlgItem(m_parent, kTextId), box);
    EXPECT_EQ(CSkinScrollWnd::FromControl(box), nullptr);
    EXPECT_FALSE(UnskinWndScroll(box));
    // And it can be wrapped again.
    EXPECT_NE(SkinWndScroll(box, m_skin, 1.0f, 0), nullptr);
}

TEST_F(SkinScroll, FrameGoesWithTheControl) {
    HWND box = MakeRichEdit();
    ASSERT_NE(SkinWndScroll(box, m_skin, 1.0f, 0), nullptr);
    Pump();
    ::DestroyWindow(box);
    Pump();
    EXPECT_FALSE(::IsWindow(box));
    EXPECT_EQ(FrameCount(m_parent), 0);
    EXPECT_TRUE(::IsWindow(m_parent));
}

TEST_F(SkinScroll, FrameGoesWithTheParentAndTheSkinMayGoFirst) {
    HWND box = MakeRichEdit();
    ASSERT_NE(SkinWndScroll(box, m_skin, 1.0f, 0), nullptr);
    Pump();
    // The caller's bitmap may be released while the bars still paint: they use the frame's own copy.
    ::DeleteObject(m_skin);
    m_skin = nullptr;
    ::RedrawWindow(m_parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::DestroyWindow(m_parent);
    m_parent = nullptr;
    Pump();
    EXPECT_FALSE(::IsWindow(box));
}

TEST_F(SkinScroll, RefusesWhatItCannotWrap) {
    HWND box = MakeRichEdit(20);
    EXPECT_EQ(SkinWndScroll(nullptr, m_skin, 1.0f, 0), nullptr);
    EXPECT_EQ(SkinWndScroll(box, nullptr, 1.0f, 0), nullptr);
    EXPECT_EQ(SkinWndScroll(m_parent, m_skin, 1.0f, 0), nullptr); // a top-level window
    HBITMAP narrow = ::CreateBitmap(8, 3, 1, 32, nullptr);
    EXPECT_EQ(SkinWndScroll(box, narrow, 1.0f, 0), nullptr);
    ::DeleteObject(narrow);
    // Nothing was touched by the refusals.
    EXPECT_EQ(::GetParent(box), m_parent);
    EXPECT_EQ(FrameCount(m_parent), 0);
    ASSERT_NE(SkinWndScroll(box, m_skin, 1.0f, 0), nullptr);
    EXPECT_EQ(SkinWndScroll(box, m_skin, 1.0f, 0), nullptr); // wrapped already
    EXPECT_EQ(FrameCount(m_parent), 1);
}

} // namespace
