// Device Console command lines: always run from the program folder, quoted so that any folder name works.
#include "uninstall/ConsoleRunner.h"

std::wstring DeviceConsole::CommandLine(std::wstring_view arguments) const {
    std::wstring line = L"cd /d \"";
    line += programFolder_;
    line += L"\" & ";
    line += is64Bit_ ? L"devconx64 " : L"devcon ";
    line += arguments;
    return line;
}

bool DeviceConsole::Run(std::wstring_view arguments, std::string& output) const {
    return runner_.RunConsoleCommand(CommandLine(arguments), output);
}
