// The operating-system services the log needs: folders, the configuration file, the clock and files.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A local wall-clock time down to the millisecond.
struct LogTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Paths are wide strings with backslashes, as the log builds them; an implementation maps them to its system.
class CLogPlatform {
public:
    // A file opened for appending; closed when destroyed.
    class File {
    public:
        virtual ~File() = default;
        // Appends all of `bytes` at the end of the file; false when not everything was written.
        [[nodiscard]] virtual bool Append(std::string_view bytes) = 0;
        // The file's current length in bytes, nothing when it cannot be read.
        [[nodiscard]] virtual std::optional<std::uint64_t> Length() = 0;
    };

    virtual ~CLogPlatform() = default;

    // The machine-wide application-data folder without a trailing separator, nothing when unavailable.
    [[nodiscard]] virtual std::optional<std::wstring> CommonAppDataFolder() = 0;
    // Whether anything (file or folder) exists under `path`.
    [[nodiscard]] virtual bool Exists(const std::wstring& path) = 0;
    [[nodiscard]] virtual bool CreateFolder(const std::wstring& path) = 0;
    // The value of `key` in `section` of the INI file, or `fallback` when the file or key is missing.
    virtual std::wstring ReadProfileString(const std::wstring& iniPath, const std::wstring& section,
                                           const std::wstring& key, const std::wstring& fallback) = 0;
    virtual LogTime Now() = 0;
    // Opens `path` for appending, creating it when missing and sharing it with other readers and writers;
    // nothing on failure.
    [[nodiscard]] virtual std::unique_ptr<File> OpenForAppend(const std::wstring& path) = 0;
    // Renames `from` to `to`, replacing a file of that name.
    [[nodiscard]] virtual bool MoveReplacing(const std::wstring& from, const std::wstring& to) = 0;
};

// The system's own services, with the real application-data folder. Used by the process-wide log.
[[nodiscard]] std::unique_ptr<CLogPlatform> CreateSystemLogPlatform();

// The system's services with `baseFolder` standing in for the application-data folder, so that tests can keep
// their logs apart.
[[nodiscard]] std::unique_ptr<CLogPlatform> CreateSystemLogPlatform(std::wstring baseFolder);
