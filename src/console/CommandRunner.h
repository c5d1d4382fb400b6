// Running console commands: the runner interface that discovery and the uninstall work through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One command for the interpreter: it starts in `folder` (where the tool it runs lies) and reads `text` after
// "cmd /D /C". A command still running after `timeoutMs` is given up on; `endOnTimeout` then also ends it and
// everything it started (safe for queries only: a change to the driver store is never cut off half-way).
struct ConsoleCommand {
    std::wstring folder;
    std::wstring text;
    uint32_t timeoutMs = 0;
    bool endOnTimeout = false;
};

enum class CommandOutcome {
    Finished,   // the interpreter ran to its end; the output holds all it printed
    NotStarted, // nothing ran: no pipe, no interpreter, or a folder that cannot be entered
    TimedOut,   // still running at the time limit; an ended query's output holds what it printed until then
    Refused,    // an argument could not be made safe for the interpreter: nothing ran
};

// Runs a command through the command interpreter and appends everything it writes to `output`, byte for byte.
// Blocks until the command ends or its time is up.
class ICommandRunner {
public:
    virtual ~ICommandRunner() = default;
    [[nodiscard]] virtual CommandOutcome RunConsoleCommand(const ConsoleCommand& command, std::string& output) = 0;
};

// The interpreter's command line is "cmd /D /C " plus the command text in 1024 units with the terminator; a
// longer text would be cut, so it is refused instead of run truncated.
constexpr size_t kCommandLineUnits = 1024;
constexpr std::wstring_view kInterpreterPrefix = L"cmd /D /C ";
constexpr size_t kMaxCommandTextLength = kCommandLineUnits - 1 - kInterpreterPrefix.size();

[[nodiscard]] inline bool FitsCommandLine(std::wstring_view command) {
    return command.size() <= kMaxCommandTextLength;
}
