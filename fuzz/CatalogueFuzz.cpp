// Fuzz target for the catalogue extraction: any file content either fails to load, leaving the scanner as it
// was, or loads a catalogue the scan can use: the line break first among the terminators, no empty marker or
// terminator, a verdict that matches what was found, and the same result on every load. Hardware IDs matched
// with it never yield a search pattern with an unescaped "&".
#include "FuzzCheck.h"
#include "discovery/Catalogue.h"
#include "discovery/CategoryScan.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// The catalogue is read from a file; one per fuzzing process, in memory when the system has a memory file
// system, removed at exit.
struct ScratchFile {
    ScratchFile() {
        std::error_code error;
        const std::filesystem::path folder =
            std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path();
        path = folder / ("catalogue_fuzz_" + std::to_string(getpid()) + ".xml");
    }
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    std::filesystem::path path;
};

void CheckEscaped(const DriverScanner& scanner, const std::string& id) {
    if (const auto match = MatchHardwareId(scanner, id)) {
        const std::string& pattern = match->searchPattern;
        for (size_t at = pattern.find('&'); at != std::string::npos; at = pattern.find('&', at + 1))
            Check(at > 0 && pattern[at - 1] == '^');
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFile scratch;
    std::FILE* file = std::fopen(scratch.path.c_str(), "wb");
    Check(file != nullptr);
    Check(std::fwrite(data, 1, size, file) == size);
    Check(std::fclose(file) == 0);

    DriverScanner scanner;
    const bool loaded = LoadCatalogueFile(scanner, scratch.path);
    Check(loaded == !scanner.idPatterns.empty());
    if (scanner.terminators.empty()) {
        Check(!loaded && scanner.idPatterns.empty()); // not a document: nothing taken from it
        return 0;
    }
    Check(scanner.terminators.front() == "\r\n");
    for (const std::string& terminator : scanner.terminators)
        Check(!terminator.empty());
    for (const HardwareIdPattern& pattern : scanner.idPatterns)
        Check(!pattern.firstMarker.empty());

    // A second load appends the same entries again, after what the first one left.
    DriverScanner twice = scanner;
    Check(LoadCatalogueFile(twice, scratch.path) == loaded);
    Check(twice.idPatterns.size() == 2 * scanner.idPatterns.size());
    Check(twice.terminators.size() == 2 * scanner.terminators.size());
    for (size_t i = 0; i < scanner.terminators.size(); ++i)
        Check(twice.terminators[scanner.terminators.size() + i] == scanner.terminators[i]);

    CheckEscaped(scanner, "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00");
    CheckEscaped(scanner, "USB\\VID_046D&PID_0825&MI_00");
    CheckEscaped(scanner, "ACPI\\ELAN0501");
    for (const HardwareIdPattern& pattern : scanner.idPatterns)
        CheckEscaped(scanner, "X\\" + pattern.firstMarker + "12&34" + pattern.secondMarker + "5678&9");
    return 0;
}
