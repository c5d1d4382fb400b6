// Geometry of the agreement text window and of the problem-solved feedback window at every scale factor the
// tool meets, and the shape of the agreement text.
#include "ui/AgreementText.h"
#include "ui/layout/ControlGeometry.h"
#include "ui/layout/FeedbackLayout.h"
#include "ui/layout/ScaleRule.h"
#include "ui/layout/TooltipLayout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

static std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}
static std::ostream& operator<<(std::ostream& out, const Size& s) {
    return out << s.width << "x" << s.height;
}

namespace {

Size SizeOf(const Rect& r) {
    return {r.Width(), r.Height()};
}

// ---- agreement window ----------------------------------------------------------------------------------------

struct TooltipCase {
    int dpi;
    Size frame;
    Rect contentInsets; // left, top, right, bottom of the content inside the frame
    Size content;
    int boxInset;
    Size box;
};

// Worked out by hand from the design sizes with single-precision products, truncated toward zero.
const TooltipCase kTooltipScales[] = {
    {96, {541, 402}, {1, 1, 2, 18}, {538, 383}, 8, {522, 367}},
    {120, {649, 482}, {1, 1, 2, 21}, {646, 460}, 9, {628, 442}},
    {144, {779, 578}, {1, 1, 2, 25}, {776, 552}, 11, {754, 530}},
    {192, {1038, 771}, {1, 1, 3, 34}, {1034, 736}, 15, {1004, 706}},
    {200, {1082, 804}, {2, 2, 4, 36}, {1076, 766}, 16, {1044, 734}},
};

TEST(AgreementWindowGeometry, FrameContentAndTextBoxAtEveryScale) {
    for (const TooltipCase& c : kTooltipScales) {
        SCOPED_TRACE(c.dpi);
        const float s = ScaleFromDpi(c.dpi);
        // The frame keeps its top-left corner, wherever the template put it.
        const Rect frame = TooltipFrameRect({37, -12, 100, 100}, s);
        EXPECT_EQ(frame, (Rect{37, -12, 37 + c.frame.width, -12 + c.frame.height}));

        const Rect content = TooltipContentRect(frame, s);
        EXPECT_EQ(content, (Rect{frame.left + c.contentInsets.left, frame.top + c.contentInsets.top,
                                 frame.right - c.contentInsets.right, frame.bottom - c.contentInsets.bottom}));
        EXPECT_EQ(SizeOf(content), c.content);

        const Rect client = {0, 0, content.Width(), content.Height()};
        const Rect box = TooltipTextBoxRect(client, s);
        EXPECT_EQ(box, (Rect{c.boxInset, c.boxInset, c.boxInset + c.box.width, c.boxInset + c.box.height}));
    }
}

TEST(AgreementWindowGeometry, ContentFollowsEveryMoveOfTheFrameAndLeavesThePointerOutside) {
    const float s = 1.0f;
    const Rect placed = TooltipContentRect(Rect::FromSize(130, 170, 541, 402), s);
    const Rect moved = TooltipContentRect(Rect::FromSize(-40, 900, 541, 402), s);
    EXPECT_EQ(moved, placed.Offset(-170, 730));
    // The balloon's pointer rows lie below the content.
    EXPECT_EQ(placed.bottom, 170 + 402 - 18);
}

TEST(AgreementWindowGeometry, BackgroundIsThePictureWithoutItsLastColumnAndPointer) {
    EXPECT_EQ(TooltipBackgroundSource({541, 402}), (Rect{0, 0, 540, 384}));
    EXPECT_EQ(TooltipBackgroundSource({2, 19}), (Rect{0, 0, 1, 1}));
    // A picture that has no such part (a broken resource) gives nothing to draw.
    EXPECT_EQ(TooltipBackgroundSource({1, 402}), Rect{});
    EXPECT_EQ(TooltipBackgroundSource({541, 18}), Rect{});
    EXPECT_EQ(TooltipBackgroundSource({0, 0}), Rect{});
}

TEST(AgreementWindowGeometry, OpensAboveTheAgreementLinkOfTheMainWindow) {
    // At s = 1 over an 800 x 600 main window: 130 right of its left edge, 170 below its top.
    EXPECT_EQ(AgreementWindowRect({0, 0, 800, 600}, 1.0f), (Rect{130, 170, 671, 572}));
    EXPECT_EQ(AgreementWindowRect({200, 100, 1000, 700}, 1.0f), (Rect{330, 270, 871, 672}));
    // The main window's half width is an integer division.
    EXPECT_EQ(AgreementWindowRect({0, 0, 801, 600}, 1.0f).left, 130);
    // Scaled main windows (800 x 600 design pixels).
    EXPECT_EQ(AgreementWindowRect({0, 0, 960, 720}, 1.2f), (Rect{156, 204, 156 + 649, 204 + 482}));
    EXPECT_EQ(AgreementWindowRect({10, 20, 1162, 884}, 1.44f), (Rect{197, 264, 197 + 779, 264 + 578}));
    EXPECT_EQ(AgreementWindowRect({0, 0, 1536, 1152}, 1.92f), (Rect{249, 326, 249 + 1038, 326 + 771}));
}

TEST(AgreementWindowGeometry, OffsetsLeftOfOrAboveASmallMainWindowAreTruncatedTowardZero) {
    // 250 - 337.5 = -87.5 and 300 - 537.5 = -237.5: cut toward zero, not down.
    const Rect r = AgreementWindowRect({1000, 1000, 1501, 1300}, 1.25f);
    EXPECT_EQ(r.left, 1000 - 87);
    EXPECT_EQ(r.top, 1000 - 237);
    EXPECT_EQ(SizeOf(r), (Size{676, 502}));
}

// ---- feedback window -----------------------------------------------------------------------------------------

struct FeedbackCase {
    int dpi;
    Size frame;
    Size content;  // as the frame creates it
    Size followed; // once the frame has moved (its centring on the screen): 3 scaled pixels below the frame's top
    Rect close;
    int firstLeft; // "解决"
    int otherLeft; // "未解决" and "更多方案"
    int tops[3];   // 解决, 未解决, 更多方案
    Size button;
    int hotMargin;
};

const FeedbackCase kFeedbackScales[] = {
    {96, {410, 479}, {400, 468}, {400, 469}, {382, 6, 394, 18}, 67, 67, {154, 234, 314}, {266, 60}, 9},
    {120, {492, 574}, {480, 560}, {480, 563}, {458, 7, 472, 21}, 80, 81, {184, 280, 376}, {319, 72}, 10},
    {144, {590, 689}, {575, 673}, {576, 675}, {550, 8, 567, 25}, 96, 97, {221, 336, 451}, {383, 86}, 12},
    {192, {787, 919}, {767, 897}, {769, 901}, {734, 11, 757, 34}, 128, 129, {296, 449, 602}, {510, 115}, 17},
    {200, {820, 958}, {800, 936}, {800, 938}, {764, 12, 788, 36}, 134, 134, {308, 468, 628}, {532, 120}, 18},
};

TEST(FeedbackWindowGeometry, FrameContentAndButtonsAtEveryScale) {
    for (const FeedbackCase& c : kFeedbackScales) {
        SCOPED_TRACE(c.dpi);
        const float s = ScaleFromDpi(c.dpi);
        const Size frameSize = FeedbackFrameSize(s);
        EXPECT_EQ(frameSize, c.frame);
        const Rect frame = Rect::FromSize(300, 200, frameSize.width, frameSize.height);
        const Rect content = FeedbackContentRect(frame, s);
        EXPECT_EQ(SizeOf(content), c.content);
        EXPECT_EQ(content.left - frame.left, static_cast<int>(5 * s));
        EXPECT_EQ(content.top - frame.top, static_cast<int>(4 * s));
        // Every move of the frame puts the content one scaled pixel higher, with the same bottom edge.
        const Rect followed = FeedbackContentFollowRect(frame, s);
        EXPECT_EQ(SizeOf(followed), c.followed);
        EXPECT_EQ(followed.left - frame.left, static_cast<int>(5 * s));
        EXPECT_EQ(followed.top - frame.top, static_cast<int>(3 * s));
        EXPECT_EQ(frame.bottom - followed.bottom, static_cast<int>(7 * s));

        const FeedbackChildLayout layout = LayOutFeedbackChild({0, 0, c.followed.width, c.followed.height}, s);
        EXPECT_EQ(layout.close, c.close);
        EXPECT_EQ(layout.solved.rect, Rect::FromSize(c.firstLeft, c.tops[0], c.button.width, c.button.height));
        EXPECT_EQ(layout.notSolved.rect, Rect::FromSize(c.otherLeft, c.tops[1], c.button.width, c.button.height));
        EXPECT_EQ(layout.moreSolutions.rect, Rect::FromSize(c.otherLeft, c.tops[2], c.button.width, c.button.height));
        for (const FeedbackButtonPlace* place : {&layout.solved, &layout.notSolved, &layout.moreSolutions}) {
            EXPECT_EQ(place->hot.left, c.hotMargin);
            EXPECT_EQ(place->hot.top, c.hotMargin);
            EXPECT_EQ(place->hot.right, c.hotMargin);
            EXPECT_EQ(place->hot.bottom, c.hotMargin);
        }
    }
}

TEST(FeedbackWindowGeometry, AtTheDesignSizeTheButtonsStandOnTheirPlacesInThePicture) {
    const FeedbackChildLayout layout = LayOutFeedbackChild({0, 0, 400, 468}, 1.0f);
    EXPECT_EQ(layout.solved.rect, kSolvedBackSource);
    EXPECT_EQ(layout.notSolved.rect, kNotSolvedBackSource);
    EXPECT_EQ(layout.moreSolutions.rect, kMoreSolutionsBackSource);
}

TEST(FeedbackWindowGeometry, ANarrowOrShiftedContentCentresTheUnscaledButtons) {
    // The client rectangle need not start at 0, 0.
    FeedbackChildLayout layout = LayOutFeedbackChild({10, 20, 410, 488}, 1.0f);
    EXPECT_EQ(layout.solved.rect, Rect::FromSize(77, 174, 266, 60));
    EXPECT_EQ(layout.moreSolutions.rect, Rect::FromSize(77, 334, 266, 60));
    EXPECT_EQ(layout.close, (Rect{392, 26, 404, 38}));
    // Narrower and lower than the design (odd sizes halve downwards).
    layout = LayOutFeedbackChild({0, 0, 301, 401}, 1.0f);
    EXPECT_EQ(layout.solved.rect, Rect::FromSize(17, 120, 266, 60));
    EXPECT_EQ(layout.notSolved.rect, Rect::FromSize(17, 200, 266, 60));
    EXPECT_EQ(layout.moreSolutions.rect, Rect::FromSize(17, 280, 266, 60));
    // Exactly 400 wide is still the unscaled case, even with a scale factor above 1.
    layout = LayOutFeedbackChild({0, 0, 400, 500}, 1.2f);
    EXPECT_EQ(layout.notSolved.rect, Rect::FromSize(67, 250, 266, 60));
    EXPECT_EQ(layout.notSolved.hot.left, 9);
    // One pixel wider switches to the scaled places, at s = 1 too.
    layout = LayOutFeedbackChild({0, 0, 401, 468}, 1.0f);
    EXPECT_EQ(layout.solved.rect, Rect::FromSize(67, 154, 266, 60));
    EXPECT_EQ(layout.moreSolutions.rect, Rect::FromSize(67, 314, 266, 60));
}

TEST(FeedbackWindowGeometry, DraggingTheContentTakesTheFrameAlongOneScaledPixelHigher) {
    for (const FeedbackCase& c : kFeedbackScales) {
        SCOPED_TRACE(c.dpi);
        const float s = ScaleFromDpi(c.dpi);
        const Rect frame = Rect::FromSize(123, 45, c.frame.width, c.frame.height);
        // The content as the frame's moves left it: once the user drags it, the frame keeps its left, right and
        // bottom edges against it and moves one scaled pixel up at the top, and the content keeps its size.
        const Rect content = FeedbackContentFollowRect(frame, s);
        const Rect moved = Rect{frame.left, frame.top - (Trunc(4 * s) - Trunc(3 * s)), frame.right, frame.bottom};
        EXPECT_EQ(FeedbackFrameFollowRect(content, s), moved);
        EXPECT_EQ(FeedbackFrameFollowRect(content.Offset(-200, 310), s), moved.Offset(-200, 310));
    }
}

TEST(FeedbackWindowGeometry, DragStripIsTheTop30PixelsWithoutTheCloseCorner) {
    const Rect strip = FeedbackDragStrip({100, 200, 500, 668});
    EXPECT_EQ(strip, (Rect{100, 200, 474, 230}));
    EXPECT_TRUE(strip.Contains({100, 200}));
    EXPECT_TRUE(strip.Contains({473, 229}));
    EXPECT_FALSE(strip.Contains({474, 210})) << "the close cross's corner does not drag";
    EXPECT_FALSE(strip.Contains({300, 230})) << "below the strip";
    // Not scaled: the same 30 and 26 pixels on a large content.
    EXPECT_EQ(FeedbackDragStrip({0, 0, 800, 934}), (Rect{0, 0, 774, 30}));
}

TEST(FeedbackWindowGeometry, ClicksOnTheRimOfALargeButtonMissItsHotArea) {
    for (const FeedbackCase& c : kFeedbackScales) {
        SCOPED_TRACE(c.dpi);
        const float s = ScaleFromDpi(c.dpi);
        const FeedbackChildLayout layout = LayOutFeedbackChild({0, 0, c.content.width, c.content.height}, s);
        const Rect client = {0, 0, layout.solved.rect.Width(), layout.solved.rect.Height()};
        const Rect hot = HotArea(client, layout.solved.hot);
        const int m = c.hotMargin;
        EXPECT_FALSE(hot.Contains({m - 1, client.Height() / 2}));
        EXPECT_TRUE(hot.Contains({m, client.Height() / 2}));
        EXPECT_FALSE(hot.Contains({client.right - m, client.Height() / 2}));
        EXPECT_TRUE(hot.Contains({client.right - m - 1, client.Height() / 2}));
        EXPECT_FALSE(hot.Contains({client.Width() / 2, m - 1}));
        EXPECT_FALSE(hot.Contains({client.Width() / 2, client.bottom - m}));
    }
}

// ---- agreement text --------------------------------------------------------------------------------------------

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

// Paragraphs, items and sub-items are indented by two ideographic spaces (the width of four blanks).
const std::wstring kIndent = L"\u3000\u3000";

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\u3000' || c == L'\t' || c == L'\u00A0';
}

bool Indented(const std::wstring& line) {
    return line.size() > kIndent.size() && line.compare(0, kIndent.size(), kIndent) == 0 &&
           !IsBlank(line[kIndent.size()]);
}

// The label of an item or sub-item line ("1.", "A.") followed directly by its text: its number or letter, or 0.
wchar_t Label(const std::wstring& line, wchar_t first, wchar_t last) {
    const size_t at = kIndent.size();
    if (!Indented(line) || line.size() < at + 3 || line[at + 1] != L'.' || IsBlank(line[at + 2])) {
        return 0;
    }
    return line[at] >= first && line[at] <= last ? line[at] : 0;
}

struct ParsedItem {
    int number = 0;
    std::vector<wchar_t> letters;
};
struct ParsedSection {
    std::wstring heading;
    std::vector<ParsedItem> items;
};

TEST(AgreementText, LinesAreSeparatedByCrLfAndTheLastItemEndsTheText) {
    const std::wstring text = BuildAgreementText();
    ASSERT_FALSE(text.empty());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r') {
            ASSERT_LT(i + 1, text.size());
            EXPECT_EQ(text[i + 1], L'\n') << "CR without LF at " << i;
        } else if (text[i] == L'\n') {
            EXPECT_TRUE(i > 0 && text[i - 1] == L'\r') << "LF without CR at " << i;
        }
        EXPECT_NE(text[i], L'\t');
        EXPECT_NE(text[i], L'\uFFFD') << "a broken character at " << i;
    }
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L'\r');
    const std::vector<std::wstring> lines = SplitLines(text);
    EXPECT_TRUE(Label(lines.back(), L'1', L'9') != 0) << "the text ends with an item";
    for (const std::wstring& line : lines) {
        EXPECT_TRUE(line.empty() || !IsBlank(line.back())) << "trailing blank";
        // A line that starts with ASCII blanks is not wrapped by every rich-edit box.
        EXPECT_TRUE(line.empty() || line[0] != L' ');
    }
}

TEST(AgreementText, TitleNoticeAndSixSectionsWithTheirItemsAndSubItems) {
    const std::vector<std::wstring> lines = SplitLines(BuildAgreementText());
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], L"Varunel服务工具使用许可协议");
    EXPECT_EQ(lines[1], L"");
    EXPECT_EQ(lines[2], L"重要须知");
    size_t at = 3;
    int paragraphs = 0;
    while (at < lines.size() && Indented(lines[at])) {
        EXPECT_EQ(Label(lines[at], L'1', L'9'), 0) << "notice paragraphs are not numbered";
        ++paragraphs;
        ++at;
    }
    EXPECT_EQ(paragraphs, 3);

    std::vector<ParsedSection> sections;
    while (at < lines.size()) {
        ASSERT_EQ(lines[at], L"") << "an empty line before each section, line " << at;
        ASSERT_LT(at + 1, lines.size());
        ParsedSection section{lines[at + 1], {}};
        EXPECT_FALSE(Indented(section.heading)) << "headings are not indented";
        at += 2;
        while (at < lines.size() && !lines[at].empty()) {
            const std::wstring& line = lines[at];
            ASSERT_TRUE(Indented(line)) << "line " << at << " is indented";
            if (wchar_t number = Label(line, L'1', L'9')) {
                section.items.push_back({number - L'0', {}});
            } else if (wchar_t letter = Label(line, L'A', L'Z')) {
                ASSERT_FALSE(section.items.empty()) << "a sub-item belongs to an item, line " << at;
                section.items.back().letters.push_back(letter);
            } else {
                ADD_FAILURE() << "line " << at << " is neither an item nor a sub-item";
            }
            EXPECT_GT(line.size(), 8u) << "line " << at << " has words";
            ++at;
        }
        sections.push_back(section);
    }

    struct Expected {
        const wchar_t* heading;
        int items;
        std::vector<std::pair<int, int>> subItems; // item number, number of sub-items
    };
    const std::vector<Expected> expected = {
        {L"一. 知识产权声明", 2, {}},       {L"二. 软件授权范围", 2, {}},
        {L"三. 用户使用须知", 6, {{1, 7}}}, {L"四. 隐私权保护", 7, {{3, 3}, {4, 5}, {5, 4}}},
        {L"五. 法律责任与免责", 7, {}},     {L"六. 其他条款", 2, {}},
    };
    ASSERT_EQ(sections.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sections[i].heading, expected[i].heading);
        ASSERT_EQ(static_cast<int>(sections[i].items.size()), expected[i].items);
        for (size_t k = 0; k < sections[i].items.size(); ++k) {
            const ParsedItem& item = sections[i].items[k];
            EXPECT_EQ(item.number, static_cast<int>(k) + 1) << "items are numbered from 1 without gaps";
            size_t wanted = 0;
            for (const auto& [number, count] : expected[i].subItems) {
                if (number == item.number) {
                    wanted = static_cast<size_t>(count);
                }
            }
            ASSERT_EQ(item.letters.size(), wanted) << "sub-items of item " << item.number;
            for (size_t n = 0; n < item.letters.size(); ++n) {
                EXPECT_EQ(item.letters[n], static_cast<wchar_t>(L'A' + n)) << "sub-items are lettered from A";
            }
        }
    }
}

TEST(AgreementText, SpeaksOfThisTool) {
    const std::wstring text = BuildAgreementText();
    const std::vector<std::wstring> phrases = {L"驱动程序", L"卸载", L"管理员", L"“同意”", L"“解决”", L"“未解决”"};
    for (size_t i = 0; i < phrases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(text.find(phrases[i]), std::wstring::npos);
    }
}

} // namespace
