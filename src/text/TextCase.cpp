// One implementation for both character widths.
#include "text/TextCase.h"

#include <algorithm>

namespace {

template <typename Char> std::basic_string<Char> Lowered(std::basic_string_view<Char> text) {
    std::basic_string<Char> result(text);
    for (Char& c : result)
        c = ToLowerAscii(c);
    return result;
}

template <typename Char> std::basic_string<Char> Uppered(std::basic_string_view<Char> text) {
    std::basic_string<Char> result(text);
    for (Char& c : result)
        c = ToUpperAscii(c);
    return result;
}

template <typename Char> bool SameIgnoringCase(Char a, Char b) {
    return ToLowerAscii(a) == ToLowerAscii(b);
}

template <typename Char> bool Equal(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameIgnoringCase<Char>);
}

template <typename Char> bool Contains(std::basic_string_view<Char> text, std::basic_string_view<Char> part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(), SameIgnoringCase<Char>) != text.end() ||
           part.empty();
}

template <typename Char>
std::basic_string_view<Char> Trimmed(std::basic_string_view<Char> text, std::basic_string_view<Char> chars) {
    const size_t first = text.find_first_not_of(chars);
    if (first == std::basic_string_view<Char>::npos)
        return text.substr(text.size());
    return text.substr(first, text.find_last_not_of(chars) - first + 1);
}

} // namespace

std::string ToLowerAscii(std::string_view text) {
    return Lowered(text);
}

std::wstring ToLowerAscii(std::wstring_view text) {
    return Lowered(text);
}

std::string ToUpperAscii(std::string_view text) {
    return Uppered(text);
}

std::wstring ToUpperAscii(std::wstring_view text) {
    return Uppered(text);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return Equal(a, b);
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return Equal(a, b);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view head) {
    return text.size() >= head.size() && Equal(text.substr(0, head.size()), head);
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view head) {
    return text.size() >= head.size() && Equal(text.substr(0, head.size()), head);
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && Equal(text.substr(text.size() - tail.size()), tail);
}

bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view tail) {
    return text.size() >= tail.size() && Equal(text.substr(text.size() - tail.size()), tail);
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
    return Contains(text, part);
}

bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part) {
    return Contains(text, part);
}

std::string_view Trim(std::string_view text, std::string_view chars) {
    return Trimmed(text, chars);
}

std::wstring_view Trim(std::wstring_view text, std::wstring_view chars) {
    return Trimmed(text, chars);
}
