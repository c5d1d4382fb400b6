// The Device Console tool in the program folder ("devcon", or "devconx64" on 64-bit Windows) and the
// command lines that run it.
#pragma once

#include "console/CommandRunner.h"

#include <string>
#include <string_view>

class DeviceConsole {
public:
    DeviceConsole(ICommandRunner& runner, std::wstring programFolder, bool is64Bit)
        : runner_(runner), programFolder_(std::move(programFolder)), is64Bit_(is64Bit) {}

    // cd /d "<program folder>" & devcon <arguments>
    std::wstring CommandLine(std::wstring_view arguments) const;

    // Runs the tool with `arguments`, appending its output. False when the command could not be started.
    bool Run(std::wstring_view arguments, std::string& output) const;

private:
    ICommandRunner& runner_;
    std::wstring programFolder_;
    bool is64Bit_;
};

// The argument text of one command, with the interpreter's special characters escaped by "^".
std::wstring EscapeForInterpreter(std::wstring_view text);

// A full path as one argument: in double quotes, inside which "&", "^", "|", "<", ">" and blanks are plain
// characters to the interpreter. Empty when quoting cannot protect it: "%" expands variables even inside
// quotes, and a quote cannot be quoted.
std::wstring QuotePathForInterpreter(std::wstring_view path);
