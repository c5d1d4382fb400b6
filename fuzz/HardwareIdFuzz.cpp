// Fuzz target for hardware-ID matching with the shipped catalogue's patterns: any upper-cased ID either fails
// or yields a device key and a search pattern whose every "&" is escaped.
#include "discovery/CategoryScan.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const DriverScanner scanner = [] {
        DriverScanner catalogue;
        catalogue.idPatterns = {{"VEN_", "DEV_"}, {"VID_", "PID_"}, {"ACPI\\", ""}, {"BTH\\MS_", ""}};
        catalogue.terminators = {"\r\n", "&", "\\", " "};
        return catalogue;
    }();
    const std::string id(reinterpret_cast<const char*>(data), size);
    if (const auto match = MatchHardwareId(scanner, id)) {
        const std::string& pattern = match->searchPattern;
        for (size_t at = pattern.find('&'); at != std::string::npos; at = pattern.find('&', at + 1)) {
            if (at == 0 || pattern[at - 1] != '^')
                std::abort();
        }
    }
    return 0;
}
