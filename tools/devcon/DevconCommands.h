// The Device Console commands the stand-in knows, run against a simulated PC: their output texts, usage
// errors, failures and exit codes.
#pragma once

#include "SimulatedPc.h"

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

// Runs one invocation. `programName` is the name the tool was started by, as messages repeat it; `args` are
// the arguments after it, as the C runtime split them.
// `disk` reads the INF files that dp_add and update are given; without it they find none.
struct PackageDisk;
DevconResult RunDevcon(SimulatedPc& pc, std::string_view programName, const std::vector<std::string>& args,
                       const PackageDisk* disk = nullptr);

// The failure of an invocation that never reached its command (its description could not be read, say).
DevconResult DevconFailure(std::string_view programName);

// Whole-text match, ASCII case-insensitive, where "*" stands for any run of characters.
bool WildcardMatch(std::string_view pattern, std::string_view text);

// A device pattern against one device: its hardware and compatible IDs, or its instance ID after "@"; "'"
// (after an optional "@") takes the rest literally.
bool DeviceMatches(const SimulatedDevice& device, std::string_view pattern);
