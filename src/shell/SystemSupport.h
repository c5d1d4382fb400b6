// Which Windows versions the tool runs on, decided from the kernel's own version numbers.
#pragma once

#include <cstdint>

// The major and minor version numbers the kernel recorded for the process.
struct SystemVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// True for Windows 7 (6.1), 8 (6.2), 8.1 (6.3) and 10 (10.0, whatever the build); false for every other pair.
bool IsSupportedVersion(SystemVersion version);

// Windows builds only.
// The version numbers of the process environment block: what the kernel recorded when the process started,
// not the compatibility-adjusted answer the version query functions give a program without a manifest.
SystemVersion ReadSystemVersion();

// The start-up check: true when the running Windows is supported.
bool IsSupportedSystem();
