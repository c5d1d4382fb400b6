// Device Console command lines: the tool is named by its path relative to the interpreter's working folder, so
// only the program folder's copy can run, and a folder that cannot be entered runs nothing at all.
#include "console/DeviceConsole.h"

#include "text/CodePage.h"
#include "text/TextCase.h"

#include <algorithm>

namespace {

bool IsAsciiAlphanumeric(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

// Printable ASCII that a hardware ID may hold and that the interpreter reads as plain text.
bool IsPlainIdCharacter(wchar_t c) {
    if (IsAsciiAlphanumeric(c))
        return true;
    constexpr std::wstring_view kPlain = L"\\_-.{}#+$~[]:@/";
    return kPlain.find(c) != std::wstring_view::npos;
}

} // namespace

PackageDeletion ReadPackageDeletion(std::string_view output, std::string_view infName) {
    const auto contains = [output](std::string_view text) { return output.find(text) != std::string_view::npos; };
    if (ContainsIgnoringCase(output, "driver package '" + std::string(infName) + "' deleted."))
        return PackageDeletion::Deleted;
    if (contains("Deleting the specified driver package from the machine failed") &&
        contains("because it is in use by a device."))
        return PackageDeletion::InUse;
    if (contains("failed") || contains("The specified INF path is not valid."))
        return PackageDeletion::Refused;
    return PackageDeletion::Unknown;
}

std::optional<std::wstring> DevicePatternArgument(std::wstring_view searchPattern) {
    // Leading asterisks add nothing to the "*" put in front; one further in would match other devices.
    while (!searchPattern.empty() && searchPattern.front() == L'*')
        searchPattern.remove_prefix(1);
    while (!searchPattern.empty() && searchPattern.back() == L'*')
        searchPattern.remove_suffix(1);
    if (searchPattern.empty())
        return std::nullopt;
    std::wstring argument = L"*";
    for (size_t i = 0; i < searchPattern.size(); ++i) {
        const wchar_t c = searchPattern[i];
        if (c == L'^' && i + 1 < searchPattern.size() && searchPattern[i + 1] == L'&') {
            argument += L"^&";
            ++i;
        } else if (c == L'&') {
            argument += L"^&";
        } else if (IsPlainIdCharacter(c)) {
            argument += c;
        } else {
            return std::nullopt;
        }
    }
    return argument + L"*";
}

std::optional<std::wstring> InfNameArgument(std::wstring_view infName) {
    constexpr std::wstring_view kExtension = L".inf";
    if (infName.size() <= kExtension.size())
        return std::nullopt;
    for (const wchar_t c : infName)
        if (!IsAsciiAlphanumeric(c) && c != L'_' && c != L'-' && c != L'.')
            return std::nullopt;
    if (!EndsWithIgnoringCase(infName, kExtension))
        return std::nullopt;
    return std::wstring(infName);
}

ConsoleCommand DeviceConsole::Command(std::wstring_view arguments, bool change) const {
    ConsoleCommand command;
    command.folder = programFolder_;
    // "C:" alone would be the drive's current folder, not its root.
    if (command.folder.size() == 2 && command.folder[1] == L':')
        command.folder += L'\\';
    command.text = is64Bit_ ? L".\\devconx64.exe " : L".\\devcon.exe ";
    command.text += arguments;
    command.timeoutMs = change ? limits_.changeMs : limits_.queryMs;
    command.endOnTimeout = !change;
    return command;
}

CommandOutcome DeviceConsole::Run(std::wstring_view arguments, bool change, std::string& output) const {
    // The interpreter cannot work in a network folder: it would start in the Windows folder instead and run a
    // tool of that name from there.
    if (programFolder_.empty() || programFolder_.starts_with(L"\\\\"))
        return CommandOutcome::NotStarted;
    // Every command's output is decoded here, once: the tool and the interpreter write in the console's code
    // page, and the engine keeps code page 936 text.
    std::string printed;
    const CommandOutcome outcome = runner_.RunConsoleCommand(Command(arguments, change), printed);
    output += GbkFromConsole(std::move(printed));
    return outcome;
}

std::wstring FirstOutputLine(std::string_view output) {
    return WidenGbk(output.substr(0, output.find_first_of("\r\n")));
}

CommandOutcome DeviceConsole::RunForDevices(std::wstring_view command, std::wstring_view searchPattern, bool change,
                                            std::string& output) const {
    const auto pattern = DevicePatternArgument(searchPattern);
    return pattern ? Run(std::wstring(command) + L" " + *pattern, change, output) : CommandOutcome::Refused;
}

CommandOutcome DeviceConsole::ListDriverFiles(std::wstring_view searchPattern, std::string& output) const {
    return RunForDevices(L"driverfiles", searchPattern, false, output);
}

CommandOutcome DeviceConsole::ListDriverNodes(std::wstring_view searchPattern, std::string& output) const {
    return RunForDevices(L"drivernodes", searchPattern, false, output);
}

CommandOutcome DeviceConsole::DeletePackage(std::wstring_view infName, std::string& output) const {
    const auto name = InfNameArgument(infName);
    return name ? Run(L"-f dp_delete " + *name, true, output) : CommandOutcome::Refused;
}

CommandOutcome DeviceConsole::RemoveDevices(std::wstring_view searchPattern, std::string& output) const {
    return RunForDevices(L"remove", searchPattern, true, output);
}

CommandOutcome DeviceConsole::Rescan(std::string& output) const {
    return Run(L"rescan", true, output);
}

std::wstring DeviceConsole::Describe(const ConsoleCommand& command) {
    return command.text;
}

CommandOutcome DeviceConsole::DeletePackageUnforced(std::wstring_view infName, std::string& output) const {
    const auto name = InfNameArgument(infName);
    return name ? Run(L"dp_delete " + *name, true, output) : CommandOutcome::Refused;
}

CommandOutcome DeviceConsole::AddPackage(std::wstring_view infPath, std::string& output) const {
    const auto path = PathArgument(infPath);
    return path ? Run(L"dp_add " + *path, true, output) : CommandOutcome::Refused;
}

CommandOutcome DeviceConsole::UpdateDriver(std::wstring_view infPath, std::wstring_view hardwareId,
                                           std::string& output) const {
    const auto path = PathArgument(infPath);
    const auto id = HardwareIdArgument(hardwareId);
    return path && id ? Run(L"update " + *path + L" " + *id, true, output) : CommandOutcome::Refused;
}

std::optional<std::wstring> PathArgument(std::wstring_view path) {
    const bool full = (path.size() > 3 && path[1] == L':' && path[2] == L'\\') || path.starts_with(L"\\\\");
    if (!full)
        return std::nullopt;
    for (const wchar_t c : path)
        if (c < 32 || c == L'%' || c == L'"' || c == L'!')
            return std::nullopt;
    return L"\"" + std::wstring(path) + L"\"";
}

std::optional<std::wstring> HardwareIdArgument(std::wstring_view hardwareId) {
    if (hardwareId.empty())
        return std::nullopt;
    std::wstring argument;
    for (const wchar_t c : hardwareId) {
        if (c == L'&')
            argument += L"^&";
        else if (IsPlainIdCharacter(c))
            argument += c;
        else
            return std::nullopt;
    }
    return argument;
}
