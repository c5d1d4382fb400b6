// The stand-in feedback library's decisions.
#include "LibraryRules.h"

#include <algorithm>
#include <cstdint>

namespace {

std::optional<std::vector<std::uint64_t>> ParseVersion(std::wstring_view text) {
    std::vector<std::uint64_t> parts;
    std::uint64_t part = 0;
    bool digits = false;
    for (const wchar_t c : text) {
        if (c >= L'0' && c <= L'9') {
            if (part > (UINT64_MAX - 9) / 10)
                return std::nullopt;
            part = part * 10 + static_cast<std::uint64_t>(c - L'0');
            digits = true;
        } else if (c == L'.' && digits) {
            parts.push_back(part);
            part = 0;
            digits = false;
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    parts.push_back(part);
    return parts;
}

std::wstring Escape(std::wstring_view text) {
    std::wstring escaped;
    for (const wchar_t c : text) {
        switch (c) {
        case L'\\':
            escaped += L"\\\\";
            break;
        case L'\t':
            escaped += L"\\t";
            break;
        case L'\r':
            escaped += L"\\r";
            break;
        case L'\n':
            escaped += L"\\n";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

std::optional<int> CompareVersions(std::wstring_view a, std::wstring_view b) {
    const auto left = ParseVersion(a);
    const auto right = ParseVersion(b);
    if (!left || !right)
        return std::nullopt;
    const size_t count = std::max(left->size(), right->size());
    for (size_t i = 0; i < count; ++i) {
        const std::uint64_t x = i < left->size() ? (*left)[i] : 0;
        const std::uint64_t y = i < right->size() ? (*right)[i] : 0;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

int NewVersionAnswer(bool forceNewer, std::wstring_view latest, std::wstring_view asked) {
    if (forceNewer)
        return kAnswerNewVersion;
    if (latest.empty())
        return kAnswerUpToDate;
    const auto order = CompareVersions(latest, asked);
    if (!order)
        return kAnswerVersionUnknown;
    return *order > 0 ? kAnswerNewVersion : kAnswerUpToDate;
}

std::wstring JournalLine(std::wstring_view name, const std::vector<JournalArgument>& arguments) {
    std::wstring line(name);
    for (const JournalArgument& argument : arguments) {
        line += L'\t';
        if (!argument.isText)
            line += std::to_wstring(argument.number);
        else if (argument.isNull)
            line += L"\\0";
        else
            line += Escape(argument.text);
    }
    return line + L"\r\n";
}
