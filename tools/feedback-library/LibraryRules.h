// The stand-in feedback library's decisions, free of Windows: the new-version answer and the journal lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// GetToolIsNewVersion's answers.
inline constexpr int kAnswerNewVersion = 3;     // a newer version is configured
inline constexpr int kAnswerUpToDate = 1;       // none is newer than the asked version
inline constexpr int kAnswerVersionUnknown = 2; // the configured or the asked version is no version number

// Compares dotted version numbers ("1.1.21.104") part by part, missing parts counting as 0: negative, 0 or
// positive as `a` is older than, the same as or newer than `b`. Nothing when either is not a version number.
std::optional<int> CompareVersions(std::wstring_view a, std::wstring_view b);

// The answer to "is there a newer version than `asked`": `forceNewer` is the "newer" switch, `latest` the
// configured newest version (empty when none).
int NewVersionAnswer(bool forceNewer, std::wstring_view latest, std::wstring_view asked);

// One argument of a journalled call: a string (null for a null pointer) or a number.
struct JournalArgument {
    JournalArgument(const wchar_t* text) : isText(true), isNull(text == nullptr), text(text ? text : L"") {}
    JournalArgument(int number) : number(number) {}

    bool isText = false;
    bool isNull = false;
    std::wstring text;
    int number = 0;
};

// One journal line: the name and the arguments separated by tabs, ending in CR LF. Backslash, tab, CR and LF
// in a string are written as \\, \t, \r and \n; a null string as \0.
std::wstring JournalLine(std::wstring_view name, const std::vector<JournalArgument>& arguments);
