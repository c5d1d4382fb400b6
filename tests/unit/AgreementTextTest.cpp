// The shape of the agreement text: its lines, title, notice, sections, items and sub-items.
#include "ui/AgreementText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

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
