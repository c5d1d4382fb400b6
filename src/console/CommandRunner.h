// Running console commands: the runner interface that discovery and the uninstall work through.
#pragma once

#include <string>
#include <string_view>

// Runs a command text through the command interpreter ("cmd /C <text>") and appends everything the command
// writes to `output`, byte for byte. True when the command was started and ran to its end (whatever it
// printed); false when it did not run at all. Blocks until the command ends.
class ICommandRunner {
public:
    virtual ~ICommandRunner() = default;
    virtual bool RunConsoleCommand(std::wstring_view command, std::string& output) = 0;
};

// The interpreter's command line is "cmd /C " plus the command text in 1024 units with the terminator; a
// longer text would be cut, so it is refused instead of run truncated.
constexpr size_t kCommandLineUnits = 1024;
constexpr std::wstring_view kInterpreterPrefix = L"cmd /C ";
constexpr size_t kMaxCommandTextLength = kCommandLineUnits - 1 - kInterpreterPrefix.size();

inline bool FitsCommandLine(std::wstring_view command) { return command.size() <= kMaxCommandTextLength; }
