// The stand-in feedback library's rules: version comparison, the new-version answer and journal lines.
#include "LibraryRules.h"

#include <gtest/gtest.h>

namespace {

TEST(FeedbackLibraryVersions, ComparesPartByPartAsNumbers) {
    EXPECT_EQ(CompareVersions(L"1.1.21.104", L"1.1.21.104"), 0);
    EXPECT_EQ(CompareVersions(L"1.1.21.105", L"1.1.21.104"), 1);
    EXPECT_EQ(CompareVersions(L"1.1.21.103", L"1.1.21.104"), -1);
    EXPECT_EQ(CompareVersions(L"1.1.22.0", L"1.1.21.104"), 1);
    EXPECT_EQ(CompareVersions(L"1.2", L"1.1.21.104"), 1);
    EXPECT_EQ(CompareVersions(L"2", L"1.1.21.104"), 1);
    EXPECT_EQ(CompareVersions(L"0.9.99.999", L"1.1.21.104"), -1);
    EXPECT_EQ(CompareVersions(L"1.1.21.1000", L"1.1.21.104"), 1) << "numbers, not text";
    EXPECT_EQ(CompareVersions(L"1.10", L"1.9"), 1) << "numbers, not text";
}

TEST(FeedbackLibraryVersions, MissingPartsCountAsZero) {
    EXPECT_EQ(CompareVersions(L"1.1", L"1.1.0.0"), 0);
    EXPECT_EQ(CompareVersions(L"1.1.0.1", L"1.1"), 1);
    EXPECT_EQ(CompareVersions(L"1.1", L"1.1.0.1"), -1);
}

TEST(FeedbackLibraryVersions, TextThatIsNoVersionIsNotCompared) {
    for (const wchar_t* bad :
         {L"", L".", L"1.", L".1", L"1..2", L"1.a", L" 1.1", L"1.1 ", L"v1.1", L"-1", L"1.99999999999999999999999"}) {
        EXPECT_FALSE(CompareVersions(bad, L"1.1").has_value()) << bad;
        EXPECT_FALSE(CompareVersions(L"1.1", bad).has_value()) << bad;
    }
}

TEST(FeedbackLibraryVersions, NewVersionAnswer) {
    EXPECT_EQ(NewVersionAnswer(false, L"1.1.21.105", L"1.1.21.104"), 3);
    EXPECT_EQ(NewVersionAnswer(false, L"1.1.21.104", L"1.1.21.104"), 1);
    EXPECT_EQ(NewVersionAnswer(false, L"1.0", L"1.1.21.104"), 1);
    EXPECT_EQ(NewVersionAnswer(false, L"", L"1.1.21.104"), 1) << "nothing configured";
    EXPECT_EQ(NewVersionAnswer(false, L"latest", L"1.1.21.104"), 2);
    EXPECT_EQ(NewVersionAnswer(false, L"1.2", L""), 2);
    EXPECT_EQ(NewVersionAnswer(true, L"", L"1.1.21.104"), 3) << "the switch alone";
    EXPECT_EQ(NewVersionAnswer(true, L"1.0", L"1.1.21.104"), 3) << "the switch wins";
}

TEST(FeedbackLibraryJournal, NameAndArgumentsSeparatedByTabsEndingInCrLf) {
    EXPECT_EQ(JournalLine(L"InitFreedbackDll", {}), L"InitFreedbackDll\r\n");
    EXPECT_EQ(JournalLine(L"CustomerFeedbackEx", {L"10102", L"1.1.21.104", 3, L"1700000000"}),
              L"CustomerFeedbackEx\t10102\t1.1.21.104\t3\t1700000000\r\n");
    EXPECT_EQ(JournalLine(L"CustomerFeedback", {L"", -1}), L"CustomerFeedback\t\t-1\r\n");
    EXPECT_EQ(JournalLine(L"OpenUrl", {L"https://例子.测试/a b?x=1&y=2"}),
              L"OpenUrl\thttps://例子.测试/a b?x=1&y=2\r\n");
}

TEST(FeedbackLibraryJournal, ControlCharactersBackslashesAndNullsCannotBreakALine) {
    EXPECT_EQ(JournalLine(L"X", {L"a\tb\r\nc\\d"}), L"X\ta\\tb\\r\\nc\\\\d\r\n");
    EXPECT_EQ(JournalLine(L"X", {static_cast<const wchar_t*>(nullptr), L"\\0"}), L"X\t\\0\t\\\\0\r\n")
        << "a null pointer and the text \\0 stay apart";
}

} // namespace
