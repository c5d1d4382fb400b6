// ASCII case folding, comparisons ignoring ASCII case, and trimming, for both character widths.
#include "text/TextCase.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(TextCase, FoldsAsciiLettersOnlyAndLeavesEverythingElseAsItIs) {
    EXPECT_EQ(ToLowerAscii(std::string_view("OEM12.INF_x64-Ab@[`{")), "oem12.inf_x64-ab@[`{");
    EXPECT_EQ(ToUpperAscii(std::string_view("pci\\ven_8086&dev_3e9b")), "PCI\\VEN_8086&DEV_3E9B");
    EXPECT_EQ(ToLowerAscii(std::wstring_view(L"Ä ÖL Σ ＡＢ KB")), L"Ä Öl Σ ＡＢ kb");
    EXPECT_EQ(ToUpperAscii(std::wstring_view(L"ä öl σ ａｂ kb")), L"ä öL σ ａｂ KB");
    // GBK bytes (negative as char) pass through untouched: "驱动" in code page 936.
    EXPECT_EQ(ToUpperAscii(std::string_view("\xc7\xfd\xb6\xaf"
                                            "a")),
              "\xc7\xfd\xb6\xaf"
              "A");
    static_assert(ToLowerAscii('Z') == 'z' && ToLowerAscii('[') == '[' && ToUpperAscii(L'a') == L'A');
    static_assert(ToUpperAscii(static_cast<uint32_t>(0x1D41A)) == 0x1D41A);
}

TEST(TextCase, ComparisonsIgnoreAsciiCaseButNotOtherLetters) {
    EXPECT_TRUE(EqualsIgnoringCase("oem12.inf", "OEM12.INF"));
    EXPECT_FALSE(EqualsIgnoringCase("oem12.inf", "oem12.inf "));
    EXPECT_FALSE(EqualsIgnoringCase(L"Ä.inf", L"ä.inf"));
    EXPECT_TRUE(EqualsIgnoringCase(std::wstring_view(), L""));

    EXPECT_TRUE(StartsWithIgnoringCase(L"OEM7.inf", L"oem"));
    EXPECT_FALSE(StartsWithIgnoringCase(L"oe", L"oem"));
    EXPECT_TRUE(EndsWithIgnoringCase("backup.PARTIAL", ".partial"));
    EXPECT_FALSE(EndsWithIgnoringCase("partial", ".partial"));
    EXPECT_TRUE(EndsWithIgnoringCase("x", ""));

    EXPECT_TRUE(ContainsIgnoringCase("Driver Package 'OEM3.INF' DELETED.", "driver package 'oem3.inf' deleted."));
    EXPECT_TRUE(ContainsIgnoringCase(L"myOem.inf", L"oem"));
    EXPECT_FALSE(ContainsIgnoringCase(L"oe.m", L"oem"));
    EXPECT_TRUE(ContainsIgnoringCase("", ""));
    EXPECT_FALSE(ContainsIgnoringCase("", "a"));
}

TEST(TextCase, TrimTakesTheGivenCharactersFromBothEndsOnly) {
    EXPECT_EQ(Trim(std::string_view(" \t\r\n key = value \v\f")), "key = value");
    EXPECT_EQ(Trim(std::wstring_view(L"\u3000 print \u3000")), L"\u3000 print \u3000") << "ASCII blanks only";
    EXPECT_EQ(Trim(std::string_view("\"\"PCI\\VEN_1\"")), "\"\"PCI\\VEN_1\"");
    EXPECT_EQ(Trim(std::string_view("\"\"PCI\\VEN_1\""), "\""), "PCI\\VEN_1");
    EXPECT_EQ(Trim(std::wstring_view(L"   ")), L"");
    EXPECT_EQ(Trim(std::string_view("")), "");
}
