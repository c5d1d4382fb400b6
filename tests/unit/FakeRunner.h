// A command runner for tests: answers each command with the next canned output and keeps the command lines.
#pragma once

#include "console/CommandRunner.h"

#include <string>
#include <vector>

class FakeRunner : public ICommandRunner {
public:
    // The command with index `failAt` reports that it could not be started.
    explicit FakeRunner(std::vector<std::string> outputs, int failAt = -1)
        : outputs_(std::move(outputs)), failAt_(failAt) {}

    bool RunConsoleCommand(std::wstring_view command, std::string& output) override {
        const size_t index = commands.size();
        commands.emplace_back(command);
        if (static_cast<int>(index) == failAt_)
            return false;
        if (index < outputs_.size())
            output += outputs_[index];
        return true;
    }

    std::vector<std::wstring> commands;

private:
    std::vector<std::string> outputs_;
    int failAt_;
};
