// The command line of the command-line front end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CliArguments {
    enum class Command { Help, Detect, Uninstall };
    Command command = Command::Help;
    bool json = false;
    bool dryRun = false;
    std::wstring device;
    std::wstring inf;
    int category = 0; // 0: the first category holding the device
    uint32_t timeLimitSeconds = 0; // 0: the tool's own limits (2 minutes a query, 10 a change)
    std::wstring error; // empty when the command line is usable
};

// Parses the arguments after the program name.
CliArguments ParseCliArguments(const std::vector<std::wstring>& arguments);

extern const wchar_t kCliUsage[];

// Why a package may not be uninstalled from the command line (what the window would not offer either), or
// nothing: only third-party packages, whose INF name holds "oem", named as a plain INF file name.
std::optional<std::wstring> RefuseInfName(std::wstring_view infName);
