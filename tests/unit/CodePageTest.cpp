// Code-page conversions: round trips of Chinese text and the handling of bytes that are not GBK.
#include "text/CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, GbkRoundTripsChineseText) {
    const std::string gbk = "\xcf\xd4\xbf\xa8"; // 显卡
    EXPECT_EQ(WidenGbk(gbk), L"\u663e\u5361");
    EXPECT_EQ(NarrowGbk(L"\u663e\u5361"), gbk);
    EXPECT_EQ(WidenGbk("oem12.inf"), L"oem12.inf");
    EXPECT_EQ(WidenGbk(""), L"");
}

TEST(CodePage, InvalidGbkBytesAreReplacedNotDropped) {
    // A lone lead byte at the end and an invalid pair both leave the surrounding text intact.
    const std::wstring cut = WidenGbk("ab\xcf");
    ASSERT_GE(cut.size(), 3u);
    EXPECT_EQ(cut.substr(0, 2), L"ab");
    const std::wstring wide = WidenGbk(std::string("x\xff"
                                                   "y",
                                                   3));
    EXPECT_EQ(wide.front(), L'x');
    EXPECT_EQ(wide.back(), L'y');
}

TEST(CodePage, Utf8RoundTrip) {
    const std::wstring text = L"\u5378\u8f7d\u6210\u529f & ^ %";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(L"\u5378"), "\xe5\x8d\xb8");
}
