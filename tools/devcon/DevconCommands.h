// The Device Console commands the stand-in knows, run against a simulated PC: their output texts, usage
// errors, failures and exit codes.
#pragma once

#include "SimulatedPc.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum DevconExitCode { kExitOk = 0, kExitReboot = 1, kExitFail = 2, kExitUsage = 3 };

struct DevconResult {
    std::string out; // UTF-8, every line ending in CR LF
    std::string err;
    int exitCode = kExitOk;
    bool changed = false; // the PC's state changed and must be saved
    // Hang or Vanish: what the program does after its output (none); the others are already in the output.
    Misbehaviour misbehaviour = Misbehaviour::None;
};

// How the user's locale writes a date as a short date: "3/24/2020" in en-US, "2020/3/24" in zh-CN.
using ShortDateFormat = std::function<std::string(int year, int month, int day)>;
std::string UsShortDate(int year, int month, int day);

// A description's date ("m/d/yyyy") as `format` writes it; a date that does not read as one stays as written.
std::string LocaleDate(std::string_view date, const ShortDateFormat& format);

// Runs one invocation. `programName` is the name the tool was started by, as messages repeat it; `args` are
// the arguments after it, as the C runtime split them.
// `disk` reads the INF files that dp_add and update are given; without it they find none. Dates are written
// with `shortDate`.
struct PackageDisk;
DevconResult RunDevcon(SimulatedPc& pc, std::string_view programName, const std::vector<std::string>& args,
                       const PackageDisk* disk = nullptr, const ShortDateFormat& shortDate = UsShortDate);

// The failure of an invocation that never reached its command (its description could not be read, say).
DevconResult DevconFailure(std::string_view programName, const std::vector<std::string>& args);

// "<name>: command <cmd> failed", the line a failed command ends with on the error output.
std::string FailureLine(std::string_view programName, std::string_view command);

// The text as the tool writes it in the "C" locale: every line (one message) ends at its first byte outside
// ASCII, and then loses its line break too.
std::string CutAtUnconvertible(std::string_view text);

// Whole-text match, ASCII case-insensitive, where "*" stands for any run of characters.
bool WildcardMatch(std::string_view pattern, std::string_view text);

// A device pattern against one device: its hardware and compatible IDs, or its instance ID after "@"; "'"
// (after an optional "@") takes the rest literally.
bool DeviceMatches(const SimulatedDevice& device, std::string_view pattern);
