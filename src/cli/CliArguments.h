// The command line of the command-line front end.
#pragma once

#include <string>
#include <vector>

struct CliArguments {
    enum class Command { Help, Detect, Uninstall };
    Command command = Command::Help;
    bool json = false;
    bool dryRun = false;
    std::wstring device;
    std::wstring inf;
    int category = 0; // 0: the first category holding the device
    std::wstring error; // empty when the command line is usable
};

// Parses the arguments after the program name.
CliArguments ParseCliArguments(const std::vector<std::wstring>& arguments);

extern const wchar_t kCliUsage[];
