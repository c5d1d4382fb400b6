// The category scan: walks the registry's device-class keys of the nine categories, recognises devices by
// their "MatchingDeviceId" through the catalogue, filters them, and gives each kept device its packages.
#pragma once

#include "console/DeviceConsole.h"
#include "console/WorkerReport.h"
#include "discovery/DriverInventory.h"
#include "discovery/RegistryReader.h"

#include <optional>

struct ScanStep {
    int category;
    const wchar_t* classKey;
    bool filtered;
};

// The ten walks, in scan order. The system class feeds both the touchpad and the smart-audio category.
extern const ScanStep kScanSteps[10];

struct HardwareIdMatch {
    std::string deviceKey;
    std::string searchPattern;
};

// Recognises an upper-cased hardware ID through the catalogue's patterns and terminators.
[[nodiscard]] std::optional<HardwareIdMatch> MatchHardwareId(const DriverScanner& scanner,
                                                             const std::string& hardwareId);

// Walks all ten steps, rebuilding the category maps, logs every recognised device left out because its search
// pattern is unsafe for the interpreter, then sends kMsgWorkFinished and kMsgScanResult (1 when any category
// holds a device, else 2). A query that fails or runs late ends the scan at once: its outcome says which, the log
// names the query, and the maps are left empty, so the result is 2.
void RunScan(DriverInventory& inventory, IRegistryReader& registry, const DeviceConsole& console,
             IWorkerReport& report);

// Breadth-first walk of one class key's subtree into `map`.
void ScanClassKey(DriverScanner& scanner, IRegistryReader& registry, const DeviceConsole& console,
                  std::wstring_view classKey, bool filtered, int category, CategoryMap& map);

// Examines one key and queues its subkeys. 0 when the key cannot be opened, 1 when the map is empty
// afterwards, 2 when it is not.
int ExamineDeviceKey(DriverScanner& scanner, IRegistryReader& registry, const DeviceConsole& console,
                     std::wstring_view keyPath, bool filtered, int category, CategoryMap& map);
