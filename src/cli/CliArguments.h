// The command line of the command-line front end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CliArguments {
    enum class Command { Help, Detect, Uninstall, Restore, Backups };
    Command command = Command::Help;
    bool json = false;
    bool dryRun = false;
    std::wstring device;
    std::wstring inf;
    int category = 0; // 0: the first category holding the device
    uint32_t timeLimitSeconds = 0; // 0: the tool's own limits (2 minutes a query, 10 a change)
    std::wstring error; // empty when the command line is usable

    // Backups (BackupArguments.cpp).
    bool old = false;           // uninstall --old: every old package of the device
    bool allDevices = false;    // uninstall --all-devices --old
    bool requireBackup = false; // no deletion without a backup
    std::wstring backupDir;     // empty: the default backup folder
    std::wstring restoreFrom;   // restore <folder | latest>
    bool prune = false;
    long long keep = -1;        // backups --prune --keep N
    long long maxSize = -1;     // backups --prune --max-size SIZE, in bytes
};

// Reads the backup options of "uninstall" at arguments[i] (moving i past a value); false when it is not one.
bool ParseUninstallBackupOption(const std::vector<std::wstring>& arguments, size_t& i, CliArguments& result);

// The error of an "uninstall --old" command line, or an empty text.
std::wstring CheckOldCleanup(const CliArguments& arguments);

// Parses "restore" and "backups" command lines.
CliArguments ParseBackupCommand(const std::vector<std::wstring>& arguments);

// "500M", "2G", "750K" or plain bytes; -1 when it is not a size.
long long ParseSize(const std::wstring& text);

// Parses the arguments after the program name.
CliArguments ParseCliArguments(const std::vector<std::wstring>& arguments);

extern const wchar_t kCliUsage[];

// Why a package may not be uninstalled from the command line (what the window would not offer either), or
// nothing: only third-party packages, whose INF name holds "oem", named as a plain INF file name.
std::optional<std::wstring> RefuseInfName(std::wstring_view infName);
