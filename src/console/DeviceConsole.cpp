// Device Console command lines: always run from the program folder, quoted so that any folder name works.
#include "console/DeviceConsole.h"

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

std::wstring EscapeForInterpreter(std::wstring_view text) {
    std::wstring escaped;
    for (const wchar_t c : text) {
        if (c == L'&' || c == L'|' || c == L'<' || c == L'>' || c == L'^')
            escaped += L'^';
        escaped += c;
    }
    return escaped;
}

std::wstring QuotePathForInterpreter(std::wstring_view path) {
    if (path.empty() || path.find_first_of(L"%\"") != std::wstring_view::npos)
        return {};
    return L"\"" + std::wstring(path) + L"\"";
}
