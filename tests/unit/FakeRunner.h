// A command runner for tests: answers each command with the next canned output and keeps the commands.
#pragma once

#include "console/CommandRunner.h"

#include <string>
#include <vector>

class FakeRunner : public ICommandRunner {
public:
    // The command with index `failAt` ends as `failure` (by default: it could not be started).
    explicit FakeRunner(std::vector<std::string> outputs, int failAt = -1,
                        CommandOutcome failure = CommandOutcome::NotStarted)
        : outputs_(std::move(outputs)), failAt_(failAt), failure_(failure) {}

    CommandOutcome RunConsoleCommand(const ConsoleCommand& command, std::string& output) override {
        const size_t index = commands.size();
        commands.push_back(command.text);
        runs.push_back(command);
        if (static_cast<int>(index) == failAt_)
            return failure_;
        if (index < outputs_.size())
            output += outputs_[index];
        return CommandOutcome::Finished;
    }

    std::vector<std::wstring> commands; // the command texts
    std::vector<ConsoleCommand> runs;

private:
    std::vector<std::string> outputs_;
    int failAt_;
    CommandOutcome failure_;
};
