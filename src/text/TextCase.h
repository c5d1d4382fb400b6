// ASCII case folding, comparisons that ignore ASCII case, and trimming. ASCII folding is the rule of Windows' own
// tools for what is ASCII by nature (INF names, hardware IDs, option names and units): no locale changes it, and
// a letter outside ASCII is compared as it is. File paths compared the way Windows compares them go through the
// system instead (CompareStringOrdinal).
#pragma once

#include <concepts>
#include <string>
#include <string_view>

template <std::integral Char> [[nodiscard]] constexpr Char ToLowerAscii(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c + ('a' - 'A')) : c;
}

template <std::integral Char> [[nodiscard]] constexpr Char ToUpperAscii(Char c) {
    return c >= 'a' && c <= 'z' ? static_cast<Char>(c - ('a' - 'A')) : c;
}

[[nodiscard]] std::string ToLowerAscii(std::string_view text);
[[nodiscard]] std::wstring ToLowerAscii(std::wstring_view text);
[[nodiscard]] std::string ToUpperAscii(std::string_view text);
[[nodiscard]] std::wstring ToUpperAscii(std::wstring_view text);

[[nodiscard]] bool EqualsIgnoringCase(std::string_view a, std::string_view b);
[[nodiscard]] bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b);
[[nodiscard]] bool StartsWithIgnoringCase(std::string_view text, std::string_view head);
[[nodiscard]] bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view head);
[[nodiscard]] bool EndsWithIgnoringCase(std::string_view text, std::string_view tail);
[[nodiscard]] bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view tail);
[[nodiscard]] bool ContainsIgnoringCase(std::string_view text, std::string_view part);
[[nodiscard]] bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part);

// The blanks Trim takes away by default: space, tab, line feed, vertical tab, form feed, carriage return.
inline constexpr std::string_view kAsciiBlanks = " \t\n\v\f\r";
inline constexpr std::wstring_view kAsciiBlanksW = L" \t\n\v\f\r";

// `text` without the characters of `chars` at either end (a view into `text`).
[[nodiscard]] std::string_view Trim(std::string_view text, std::string_view chars = kAsciiBlanks);
[[nodiscard]] std::wstring_view Trim(std::wstring_view text, std::wstring_view chars = kAsciiBlanksW);
