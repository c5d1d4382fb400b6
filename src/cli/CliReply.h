// What a command of the front end answers: a stable ASCII code with its exit code, whether anything changed, the
// Chinese message, and the command's own members. Printed as text, or as one JSON object on every outcome.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

// The exit codes are Windows' own error numbers, as its installers and driver tools return them.
namespace exit_code {
constexpr int kDone = 0;                 // ERROR_SUCCESS
constexpr int kBadArguments = 87;        // ERROR_INVALID_PARAMETER
constexpr int kPartialFailure = 299;     // ERROR_PARTIAL_COPY: some of the packages, not all
constexpr int kNotAdministrator = 740;   // ERROR_ELEVATION_REQUIRED
constexpr int kNotFound = 1168;          // ERROR_NOT_FOUND
constexpr int kFailed = 1603;            // ERROR_INSTALL_FAILURE
constexpr int kNotPresent = 1605;        // ERROR_UNKNOWN_PRODUCT: what the installer says of a removal already done
constexpr int kConsoleToolFailed = 1627; // ERROR_FUNCTION_FAILED
constexpr int kRebootRequired = 3010;    // ERROR_SUCCESS_REBOOT_REQUIRED
} // namespace exit_code

// The schema version every JSON object carries: raised whenever a member changes meaning or goes away.
constexpr int kCliJsonSchema = 2;

struct CliReply {
    std::string code;                                  // e.g. "deleted", "console-tool-failed"
    bool changed = false;                              // the PC is not as it was before
    std::wstring message;                              // the Chinese sentence a person reads
    std::wstring error;                                // for failures: what exactly went wrong
    std::wstring text;                                 // what the command prints without --json
    nlohmann::json members = nlohmann::json::object(); // the command's own members
};

CliReply Failure(std::string code, std::wstring message, std::wstring error = {});

// The exit code of a reply code; kFailed for a code not in the table.
[[nodiscard]] int ExitCodeOf(std::string_view code);
// Whether the code means the request was met (done, already so, or done once the PC restarts).
[[nodiscard]] bool IsOk(std::string_view code);

// {"schema":2,"command":…,"version":…,"ok":…,"changed":…,"code":…,"exitCode":…,"message":…,["error":…,] …}
// with "error" on every outcome that is not ok.
// `command` is empty when the command line named none.
nlohmann::json ReplyToJson(std::string_view command, const CliReply& reply);

// The table of exit codes, for --help.
extern const wchar_t kExitCodeHelp[];
