// The system-independent rules of the log.
#include "logging/LogRules.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

} // namespace

std::wstring LogBaseFolder(const std::optional<std::wstring>& commonAppData) {
    if (!commonAppData || commonAppData->empty())
        return {};
    return *commonAppData + L"\\";
}

std::wstring LogFolderPath(const std::wstring& base) {
    return base + L"ToolLog";
}

std::wstring LogConfigPath(const std::wstring& base) {
    return base + L"logCfg.ini";
}

std::wstring LogBackupPath(const std::wstring& logFile) {
    return logFile + L"bak";
}

bool IsPlainLogFileName(std::string_view fileName) {
    if (fileName.empty() || fileName == "." || fileName == "..")
        return false;
    // Walk whole GBK characters: the trail byte of a Chinese character may equal '\\' or '|'.
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        const auto byte = static_cast<unsigned char>(fileName[i]);
        if (byte >= 0x81 && byte <= 0xFE) {
            if (i + 1 == fileName.size())
                return false;
            ++i;
            continue;
        }
        if (byte < 0x20 || std::string_view("<>:\"/\\|?*").find(static_cast<char>(byte)) != std::string_view::npos)
            return false;
    }
    return true;
}

std::string FormatLogStamp(const LogTime& time) {
    char stamp[128]; // room for seven fields of any int value
    const int n = std::snprintf(stamp, sizeof(stamp), "[%04d-%02d-%02d %02d:%02d:%02d %03dms]   ", time.year,
                                time.month, time.day, time.hour, time.minute, time.second, time.millisecond);
    return std::string(stamp, n > 0 ? std::min(static_cast<std::size_t>(n), sizeof(stamp) - 1) : 0);
}

std::string FormatLogEntry(const LogTime& time, std::string_view message) {
    std::string entry = FormatLogStamp(time);
    entry.append(message);
    entry.append("\r\n");
    return entry;
}

int ParseLeadingInt(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool IsLogSwitchOn(std::wstring_view printValue) {
    std::wstring_view value = printValue.substr(0, kProfileBufferChars - 1);
    while (!value.empty() && IsBlank(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && IsBlank(value.back()))
        value.remove_suffix(1);
    return ParseLeadingInt(value) == 1;
}
