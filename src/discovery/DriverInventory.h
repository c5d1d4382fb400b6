// The in-memory inventory of detected drivers: nine category maps of device records, each with the driver
// packages the Device Console reports for it, plus the request of the uninstall in progress.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/DeviceConsole.h"
#include "console/WorkerReport.h"

// One driver node of a device, as the "drivernodes" query lists it. Texts are console bytes (code page 936).
struct DriverPackageRecord {
    std::string infName;
    std::string provider;
    std::string date;
    std::string version;
    bool isCurrent = false;

    bool operator==(const DriverPackageRecord&) const = default;
};

// One recognised device instance of the registry's class keys. Texts are ANSI bytes (code page 936).
struct DeviceRecord {
    int32_t category = 0;
    std::string description;
    std::string deviceKey;
    std::string searchPattern; // hardware ID prefix with every "&" written "^&"
    std::vector<DriverPackageRecord> packages;
};

constexpr int kFirstCategory = 1;
constexpr int kLastCategory = 9;
constexpr int kCategoryCount = kLastCategory - kFirstCategory + 1;

// The display name of a category number (1-9), or an empty text for any other number.
const wchar_t* CategoryDisplayName(int category);

// Device records of one category by device key, in byte-wise key order. The first record of a key wins.
class CategoryMap {
public:
    using Records = std::map<std::string, std::unique_ptr<DeviceRecord>>;

    // Takes the record; returns false and discards it when its key is already present.
    bool Insert(std::unique_ptr<DeviceRecord> record);
    void Clear() { records_.clear(); }
    [[nodiscard]] bool Empty() const { return records_.empty(); }
    size_t Size() const { return records_.size(); }
    [[nodiscard]] DeviceRecord* Find(std::string_view deviceKey) const;

    Records::const_iterator begin() const { return records_.begin(); }
    Records::const_iterator end() const { return records_.end(); }

private:
    Records records_; // std::string orders by unsigned bytes, which is the order the tree shows
};

// One catalogue entry: how to cut a device identifier out of a hardware ID.
struct HardwareIdPattern {
    std::string firstMarker;
    std::string secondMarker; // empty when the pattern has one marker only
};

// How a scan ended. Only a completed scan's maps say what the PC holds: a scan that met a console tool failing or
// running late gives up at once, with its maps emptied, so no device is shown without the packages it has.
enum class ScanOutcome { Completed, ConsoleToolFailed, TimedOut };

// What the registry scan and the package queries work with.
struct DriverScanner {
    std::deque<std::wstring> pendingKeys;
    std::vector<HardwareIdPattern> idPatterns;
    std::vector<std::string> terminators;
    bool is64Bit = false;
    CommandLimits commandLimits;
    // Search patterns of recognised devices left out of the scan because the interpreter could misread them.
    std::vector<std::string> unsafePatterns;
    ScanOutcome outcome = ScanOutcome::Completed;
    std::wstring failedQuery; // the query the scan gave up at
    // Queries asked once more because an answer was cut short, for the log: a cause that passes still shows.
    std::vector<std::wstring> repeatedQueries;
};

class DriverInventory {
public:
    // False, with nothing changed, for a null handle.
    bool SetNotifyWindow(NotifyWindowHandle window);
    NotifyWindowHandle NotifyWindow() const { return notifyWindow_; }

    CategoryMap& Category(int category) { return categories_.at(static_cast<size_t>(category - kFirstCategory)); }
    const CategoryMap& Category(int category) const {
        return categories_.at(static_cast<size_t>(category - kFirstCategory));
    }
    [[nodiscard]] bool AnyDevice() const;

    DriverScanner scanner;
    int32_t requestCategory = 0;
    std::string requestSearchPattern;
    const DriverPackageRecord* requestPackage = nullptr; // the selection page's copy, not owned
    bool requestNeedsRestart = false; // the uninstall's removal takes the devices away only at the next start

private:
    NotifyWindowHandle notifyWindow_ = nullptr;
    std::array<CategoryMap, kCategoryCount> categories_;
};
