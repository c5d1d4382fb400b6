// Reads the version numbers from the process environment block.
#include "shell/SystemSupport.h"

#include <windows.h>

#include <winternl.h>

#include <cstddef>
#include <cstring>

namespace {

// Offsets of OSMajorVersion and OSMinorVersion in the block of the process's own width.
#ifdef _WIN64
constexpr std::size_t kMajorOffset = 0x118;
constexpr std::size_t kMinorOffset = 0x11C;
#else
constexpr std::size_t kMajorOffset = 0xA4;
constexpr std::size_t kMinorOffset = 0xA8;
#endif

std::uint32_t ReadField(const unsigned char* block, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, block + offset, sizeof value);
    return value;
}

} // namespace

SystemVersion ReadSystemVersion() {
    PROCESS_BASIC_INFORMATION information{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &information, sizeof information,
                                  nullptr) != 0 ||
        information.PebBaseAddress == nullptr)
        return {};
    const auto* peb = reinterpret_cast<const unsigned char*>(information.PebBaseAddress);
    return {ReadField(peb, kMajorOffset), ReadField(peb, kMinorOffset)};
}

bool IsSupportedSystem() {
    return IsSupportedVersion(ReadSystemVersion());
}
