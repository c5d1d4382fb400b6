// The Device Console tool in the program folder ("devcon", or "devconx64" on 64-bit Windows) and the
// command lines that run it.
//
// Nothing from outside reaches the interpreter as syntax: the program folder is the interpreter's working
// folder, never part of the command text, and every argument taken from the registry, the tool's output or the
// user is checked against the characters a hardware ID or an INF file name can hold before it is escaped.
#pragma once

#include "console/CommandRunner.h"

#include <optional>
#include <string>
#include <string_view>

// How long the tool may take: queries are read-only and are ended when late; changes are only given up on.
struct CommandLimits {
    uint32_t queryMs = 2 * 60 * 1000;
    uint32_t changeMs = 10 * 60 * 1000;
};

class DeviceConsole {
public:
    DeviceConsole(ICommandRunner& runner, std::wstring programFolder, bool is64Bit, CommandLimits limits = {})
        : runner_(runner), programFolder_(std::move(programFolder)), is64Bit_(is64Bit), limits_(limits) {}

    // "driverfiles" or "drivernodes" of the devices matching *searchPattern* (the device's search pattern,
    // "^&" escapes included).
    [[nodiscard]] CommandOutcome ListDriverFiles(std::wstring_view searchPattern, std::string& output) const;
    [[nodiscard]] CommandOutcome ListDriverNodes(std::wstring_view searchPattern, std::string& output) const;
    // "-f dp_delete <inf name>".
    [[nodiscard]] CommandOutcome DeletePackage(std::wstring_view infName, std::string& output) const;
    // "remove *<search pattern>*": the devices of the chosen hardware ID.
    [[nodiscard]] CommandOutcome RemoveDevices(std::wstring_view searchPattern, std::string& output) const;
    [[nodiscard]] CommandOutcome Rescan(std::string& output) const;
    // "dp_delete <inf name>" without force: Windows refuses a package that any device, present or not, was
    // installed from.
    [[nodiscard]] CommandOutcome DeletePackageUnforced(std::wstring_view infName, std::string& output) const;
    // "dp_add <full INF path>": the package back into the driver store.
    [[nodiscard]] CommandOutcome AddPackage(std::wstring_view infPath, std::string& output) const;
    // "update <full INF path> <hardware ID>": the package installed on the devices of that ID.
    [[nodiscard]] CommandOutcome UpdateDriver(std::wstring_view infPath, std::wstring_view hardwareId,
                                              std::string& output) const;

    // The command for `arguments`, which must already be safe for the interpreter (see the checks below).
    ConsoleCommand Command(std::wstring_view arguments, bool change) const;
    // Runs it and appends what it printed as code page 936 text, whatever the console's code page.
    [[nodiscard]] CommandOutcome Run(std::wstring_view arguments, bool change, std::string& output) const;

    // The command as a user types it at a command prompt in the program folder, for showing a plan: that prompt
    // reads it as the interpreter the tool runs it through does. (A nested "cmd /C" would read "^&" twice.)
    static std::wstring Describe(const ConsoleCommand& command);

private:
    [[nodiscard]] CommandOutcome RunForDevices(std::wstring_view command, std::wstring_view searchPattern, bool change,
                                               std::string& output) const;

    ICommandRunner& runner_;
    std::wstring programFolder_;
    bool is64Bit_;
    CommandLimits limits_;
};

// The first line a command printed (the tool's message, or the interpreter's when the tool could not run), as
// a message to show or log.
std::wstring FirstOutputLine(std::string_view output);

// What the tool said of a package deletion: its own confirmation naming the package, its refusal because a device
// uses the package, another refusal of its own, or nothing it would print — which proves nothing either way.
enum class PackageDeletion { Deleted, InUse, Refused, Unknown };
[[nodiscard]] PackageDeletion ReadPackageDeletion(std::string_view output, std::string_view infName);

// The device pattern argument "*<pattern>*" for a search pattern: its "&" written "^&" (a caret elsewhere is
// refused), otherwise only ASCII letters, digits and \ _ - . { } # + $ ~ [ ] : @ / (what hardware IDs hold and
// the interpreter reads as plain text), and no "*" inside it (that would widen a removal). Nothing when unsafe.
[[nodiscard]] std::optional<std::wstring> DevicePatternArgument(std::wstring_view searchPattern);

// An INF file name as the tool takes it: letters, digits, "_", "-" and "." only, ending in ".inf".
[[nodiscard]] std::optional<std::wstring> InfNameArgument(std::wstring_view infName);

// A full path as one argument, in double quotes, where blanks, "&", "^", "|", "<", ">" and Chinese are plain
// text to the interpreter. Nothing when quoting cannot protect it: "%" expands variables even inside quotes (and
// "!" where delayed expansion is switched on for the user), a quote cannot be quoted, and control characters end
// or break the line. The caller may try the path's short
// (8.3) form instead.
[[nodiscard]] std::optional<std::wstring> PathArgument(std::wstring_view path);

// A hardware ID as one argument: the characters of DevicePatternArgument, "&" written "^&", no "*".
[[nodiscard]] std::optional<std::wstring> HardwareIdArgument(std::wstring_view hardwareId);
