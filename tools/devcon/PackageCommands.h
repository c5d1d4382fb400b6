// The stand-in's driver-store commands: dp_add, dp_enum and update.
#pragma once

#include "DevconCommands.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the package commands need of the machine's disk: the INF files they are given, and the
// architecture of the store folders.
struct PackageDisk {
    std::string arch = "amd64"; // "x86" or "amd64"
    // The bytes of a file by its full path (UTF-8), or nothing when it cannot be read.
    std::function<std::optional<std::string>(const std::string& path)> read;
};

bool IsPackageCommand(std::string_view command);

DevconResult RunPackageCommand(SimulatedPc& pc, const PackageDisk* disk, const std::string& program,
                               std::string_view command, const std::vector<std::string>& args,
                               const ShortDateFormat& shortDate = UsShortDate);
