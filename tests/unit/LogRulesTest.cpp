// The log's rules: its paths, the exact bytes of an entry, the "print" switch and the size limit.
#include "logging/LogRules.h"
#include "text/CodePage.h"

#include "FakeLogPlatform.h"

#include <gtest/gtest.h>

#include <climits>

TEST(LogRules, PathsOfTheLog) {
    EXPECT_EQ(LogBaseFolder(std::wstring(L"D:\\Data")), L"D:\\Data\\");
    EXPECT_EQ(LogBaseFolder(std::nullopt), L"");
    EXPECT_EQ(LogBaseFolder(std::wstring()), L"");
    EXPECT_EQ(LogFolderPath(L"D:\\Data\\"), L"D:\\Data\\ToolLog");
    EXPECT_EQ(LogConfigPath(L"D:\\Data\\"), L"D:\\Data\\logCfg.ini");
    EXPECT_EQ(LogBackupPath(L"D:\\Data\\ToolLog\\videzure.txt"), L"D:\\Data\\ToolLog\\videzure.txtbak");
}

TEST(LogRules, StampIsZeroPaddedAndEndsInThreeBlanks) {
    EXPECT_EQ(FormatLogStamp(kMarch5), "[2024-03-05 07:08:09 045ms]   ");
    EXPECT_EQ(FormatLogStamp({1999, 12, 31, 23, 59, 59, 999}), "[1999-12-31 23:59:59 999ms]   ");
    EXPECT_EQ(FormatLogStamp({2030, 1, 1, 0, 0, 0, 7}), "[2030-01-01 00:00:00 007ms]   ");
    EXPECT_EQ(FormatLogEntry(kMarch5, kInternalError1), kMarch5Entry);
    EXPECT_EQ(FormatLogEntry(kMarch5, ""), "[2024-03-05 07:08:09 045ms]   \r\n");
}

TEST(LogRules, LeadingIntegerIsReadLikeWtoi) {
    EXPECT_EQ(ParseLeadingInt(L"  -12x"), -12);
    EXPECT_EQ(ParseLeadingInt(L"+7"), 7);
    EXPECT_EQ(ParseLeadingInt(L"x1"), 0);
    EXPECT_EQ(ParseLeadingInt(L""), 0);
    EXPECT_EQ(ParseLeadingInt(L"-"), 0);
    EXPECT_EQ(ParseLeadingInt(L"2147483647"), INT_MAX);
    EXPECT_EQ(ParseLeadingInt(L"2147483648"), INT_MAX);
    EXPECT_EQ(ParseLeadingInt(L"-2147483648"), INT_MIN);
    EXPECT_EQ(ParseLeadingInt(L"-99999999999999999999"), INT_MIN);
}

TEST(LogRules, SwitchIsOnExactlyForTheValueOne) {
    for (const wchar_t* on : {L"1", L" 1 ", L"01", L"+1", L"\t1\r", L"1abc", L"1.5", L"0001"})
        EXPECT_TRUE(IsLogSwitchOn(on)) << ToUtf8(on);
    for (const wchar_t* off : {L"-1", L"0", L"2", L"true", L"", L" ", L"one", L"11", L"4294967297", L"- 1"})
        EXPECT_FALSE(IsLogSwitchOn(off)) << ToUtf8(off);
    // The profile buffer holds 99 characters: a digit beyond them is not read.
    EXPECT_TRUE(IsLogSwitchOn(std::wstring(98, L'0') + L"1"));
    EXPECT_FALSE(IsLogSwitchOn(std::wstring(99, L'0') + L"1"));
}

TEST(LogRules, LimitIsSixMillionTwentyThousandBytes) {
    EXPECT_FALSE(LogNeedsRotation(0));
    EXPECT_FALSE(LogNeedsRotation(6'020'000));
    EXPECT_TRUE(LogNeedsRotation(6'020'001));
    EXPECT_TRUE(LogNeedsRotation(6'291'456));
}
