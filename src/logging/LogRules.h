// The rules of the log that do not depend on the system: paths, the entry format, the switch and rotation.
#pragma once

#include "logging/LogPlatform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Past this many bytes (after an entry) the log file is moved to its backup name.
inline constexpr std::uint64_t kLogSizeLimit = 6'020'000;
// GetPrivateProfileString is given a buffer of this many characters, the terminator included.
inline constexpr std::size_t kProfileBufferChars = 100;

// The folder everything of the log lives under: the application-data folder and a backslash, or the empty
// string (the current directory) when that folder is unavailable.
std::wstring LogBaseFolder(const std::optional<std::wstring>& commonAppData);
// base + "ToolLog", without the trailing backslash (the form the folder is created with).
std::wstring LogFolderPath(const std::wstring& base);
// base + "logCfg.ini": the configuration lies in the base folder itself.
std::wstring LogConfigPath(const std::wstring& base);
// The name a log file is moved to when it grows too large: its path with "bak" appended.
std::wstring LogBackupPath(const std::wstring& logFile);

// Whether a caller's file name stays inside the log folder: not empty, no folder parts, no characters
// Windows refuses in names.
[[nodiscard]] bool IsPlainLogFileName(std::string_view fileName);

// "[YYYY-MM-DD hh:mm:ss mmmms]" and three blanks.
std::string FormatLogStamp(const LogTime& time);
// One whole entry: the stamp, the message bytes as given and CR LF.
std::string FormatLogEntry(const LogTime& time, std::string_view message);

// The integer at the start of `text` the way _wtoi reads it: leading white space, an optional sign, decimal
// digits; 0 when there are none, saturated at the int range.
[[nodiscard]] int ParseLeadingInt(std::wstring_view text);
// The "print" switch: the value (as a 100-character buffer holds it), trimmed, read as an integer, equal to 1.
[[nodiscard]] bool IsLogSwitchOn(std::wstring_view printValue);

// Whether a log file of `length` bytes after an entry is to be moved to its backup name.
[[nodiscard]] inline bool LogNeedsRotation(std::uint64_t length) {
    return length > kLogSizeLimit;
}
