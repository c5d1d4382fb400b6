// The command line of the command-line front end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CliArguments {
    enum class Command { Help, Version, Detect, Uninstall, Restore, Backups };
    Command command = Command::Help;
    std::string commandName; // "detect", "uninstall", …; empty when the command line named none
    bool json = false;
    std::wstring outputFile; // --output FILE: the JSON object also goes there, as UTF-8
    bool dryRun = false;
    std::wstring device; // upper case, as the scan makes device keys
    std::wstring inf;
    int category = 0;              // 0: the first category holding the device
    uint32_t timeLimitSeconds = 0; // 0: the tool's own limits (2 minutes a query, 10 a change)
    std::wstring error;            // empty when the command line is usable
    std::wstring helpText;         // Help: the usage of the command asked about, or of them all

    // Backups.
    bool old = false;           // uninstall --old: every old package of the device
    bool allDevices = false;    // uninstall --all-devices --old
    bool requireBackup = false; // no deletion without a backup
    std::wstring backupDir;     // empty: the default backup folder
    std::wstring restoreFrom;   // restore <folder | latest>
    bool prune = false;
    long long keep = -1;    // backups --prune --keep N
    long long maxSize = -1; // backups --prune --max-size SIZE, in bytes

    // Whether the command changes the PC, and so needs an administrator.
    [[nodiscard]] bool Changes() const;
};

// The error of an "uninstall --old" command line, or an empty text.
[[nodiscard]] std::wstring CheckOldCleanup(const CliArguments& arguments);

// "500M", "2G", "750K" or plain bytes; -1 when it is not a size.
[[nodiscard]] long long ParseSize(const std::wstring& text);

// Parses the arguments after the program name.
CliArguments ParseCliArguments(const std::vector<std::wstring>& arguments);

// Why a package may not be uninstalled from the command line (what the window would not offer either), or
// nothing: only third-party packages, whose INF name holds "oem", named as a plain INF file name.
struct InfRefusal {
    std::string code; // "bad-arguments" or "refused-inbox"
    std::wstring message;
};
[[nodiscard]] std::optional<InfRefusal> RefuseInfName(std::wstring_view infName);
