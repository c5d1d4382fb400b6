// The registry walk, the hardware-ID matching and the category filters of the scan.
#include "discovery/CategoryScan.h"

#include "discovery/PackageQuery.h"
#include "text/CodePage.h"
#include "text/TextCase.h"

#include <algorithm>

const ScanStep kScanSteps[10] = {
    {1, L"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}", false},
    {2, L"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e96c-e325-11ce-bfc1-08002be10318}", false},
    {3, L"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e972-e325-11ce-bfc1-08002be10318}", false},
    {4, L"SYSTEM\\ControlSet001\\Control\\Class\\{ca3e7ab9-b4c3-4ae6-8251-579ef933890f}", false},
    {5, L"SYSTEM\\ControlSet001\\Control\\Class\\{e0cbf06c-cd8b-4647-bb8a-263b43f0f974}", false},
    {6, L"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e970-e325-11ce-bfc1-08002be10318}", false},
    {7, L"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e96f-e325-11ce-bfc1-08002be10318}", false},
    {7, L"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e97d-e325-11ce-bfc1-08002be10318}", true},
    {8, L"SYSTEM\\ControlSet001\\Control\\Class\\{53d29ef7-377c-4d14-864b-eb3a85769359}", false},
    {9, L"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e97d-e325-11ce-bfc1-08002be10318}", true},
};

namespace {

constexpr size_t kShortIdentifier = 8;
constexpr size_t kLongRest = 16;
constexpr size_t kMinDescription = 2;
constexpr size_t kMinSearchPattern = 7;

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

std::string TrimChars(std::string text, std::string_view chars) {
    const size_t first = text.find_first_not_of(chars);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(chars) - first + 1);
}

std::string TrimIdentifier(const std::string& raw) {
    return TrimChars(TrimChars(TrimChars(raw, "\""), "\r\n"), " ");
}

bool Kept(const DeviceRecord& record, bool filtered, int category) {
    if (record.description.size() < kMinDescription || record.searchPattern.size() < kMinSearchPattern)
        return false;
    if (!filtered)
        return true;
    if (category == 7) // touchpads sit in the system class among everything else
        return Contains(record.description, "SMBus") &&
               (Contains(record.description, "ELAN") || Contains(record.description, "Synaptics"));
    if (category == 9) // "智音" in code page 936
        return Contains(record.description, "\xd6\xc7\xd2\xf4");
    return false;
}

// Control characters of a registry value are shown as "?" so that a log line stays one line.
std::wstring Printable(std::wstring text) {
    std::replace_if(
        text.begin(), text.end(), [](wchar_t c) { return c < L' ' || c == 0x7F; }, L'?');
    return text;
}

} // namespace

namespace {

// The working values of one match; they carry over from one pattern to the next within one call.
struct IdScan {
    std::string rest;   // the hardware ID still to read
    std::string prefix; // what was read of it, up to the end of the last identifier
    std::string first;
    std::string second;
};

// Where the first identifier ends: an "&" close by, else (one marker) a terminator close by, else (two markers)
// a far "&".
std::optional<size_t> FirstIdentifierEnd(const std::string& rest, bool twoMarkers,
                                         const std::vector<std::string>& terminators) {
    const size_t ampersand = rest.find('&');
    if (ampersand != std::string::npos && ampersand <= kShortIdentifier)
        return ampersand;
    if (!twoMarkers) {
        for (const std::string& terminator : terminators) {
            const size_t at = rest.find(terminator);
            if (!terminator.empty() && at != std::string::npos && at <= kShortIdentifier)
                return at;
        }
        return std::nullopt;
    }
    if (ampersand != std::string::npos)
        return ampersand;
    return std::nullopt;
}

// Reads the identifiers after the first marker: the first one, and with a second marker the second one, moving
// what they take from `rest` to `prefix`.
void ReadIdentifiers(IdScan& scan, const HardwareIdPattern& pattern, const std::vector<std::string>& terminators) {
    const bool twoMarkers = !pattern.secondMarker.empty();
    const std::optional<size_t> end = FirstIdentifierEnd(scan.rest, twoMarkers, terminators);
    if (!end) {
        const size_t lineBreak = scan.rest.find("\r\n");
        if (lineBreak != std::string::npos && lineBreak <= kShortIdentifier)
            scan.first = TrimChars(scan.rest.substr(0, lineBreak), "\r\n");
        return;
    }
    const std::string raw = scan.rest.substr(0, *end);
    scan.first = TrimIdentifier(raw);
    scan.prefix += raw;
    scan.rest.erase(0, *end);
    const size_t secondMarker = twoMarkers ? scan.rest.find(pattern.secondMarker) : std::string::npos;
    if (secondMarker == std::string::npos)
        return;
    scan.prefix += scan.rest.substr(0, secondMarker + pattern.secondMarker.size());
    scan.rest.erase(0, secondMarker + pattern.secondMarker.size());
    for (const std::string& terminator : terminators) {
        const size_t at = scan.rest.find(terminator);
        if (!terminator.empty() && at != std::string::npos && scan.first.size() + at <= kShortIdentifier) {
            scan.prefix += scan.rest.substr(0, at);
            scan.second = TrimIdentifier(scan.rest.substr(0, at));
            break;
        }
    }
}

// The hardware ID as read, for the Device Console: the command interpreter takes "&" as "^&".
std::string EscapedPattern(const std::string& prefix) {
    std::string searchPattern;
    for (const char c : prefix) {
        if (c == '&')
            searchPattern += '^';
        searchPattern += c;
    }
    return searchPattern;
}

} // namespace

std::optional<HardwareIdMatch> MatchHardwareId(const DriverScanner& scanner, const std::string& hardwareId) {
    IdScan scan;
    scan.rest = hardwareId + "\r\n";
    for (const HardwareIdPattern& pattern : scanner.idPatterns) {
        const bool twoMarkers = !pattern.secondMarker.empty();
        for (;;) {
            const size_t marker = scan.rest.find(pattern.firstMarker);
            if (marker == std::string::npos || pattern.firstMarker.empty())
                break;
            scan.prefix = scan.rest.substr(0, marker + pattern.firstMarker.size());
            scan.rest.erase(0, marker + pattern.firstMarker.size());
            ReadIdentifiers(scan, pattern, scanner.terminators);
            if (scan.first.size() < 2)
                return std::nullopt;

            std::string deviceKey;
            if (scan.second.size() < 2) {
                if (twoMarkers) {
                    if (scan.rest.size() > kLongRest)
                        continue; // look for the first marker again further on
                    return std::nullopt;
                }
                deviceKey = scan.first;
                if (deviceKey.size() == kShortIdentifier)
                    deviceKey.insert(4, "_");
            } else {
                deviceKey =
                    scan.first + (scan.first.size() + scan.second.size() == kShortIdentifier ? "_" : "") + scan.second;
            }
            return HardwareIdMatch{TrimChars(deviceKey, " "), TrimChars(EscapedPattern(scan.prefix), " ")};
        }
    }
    return std::nullopt;
}

int ExamineDeviceKey(DriverScanner& scanner, IRegistryReader& registry, const DeviceConsole& console,
                     std::wstring_view keyPath, bool filtered, int category, CategoryMap& map) {
    const std::unique_ptr<IRegistryKey> key = registry.Open(keyPath);
    if (!key)
        return 0;
    uint32_t subkeyCount = 0;
    uint32_t valueCount = 0;
    key->QueryInfo(subkeyCount, valueCount);

    std::wstring name;
    for (uint32_t index = 0; index < subkeyCount; ++index) {
        if (key->EnumSubkey(index, name))
            scanner.pendingKeys.push_back(std::wstring(keyPath) + L"\\" + name);
    }

    auto record = std::make_unique<DeviceRecord>();
    bool matched = false;
    std::wstring data;
    for (uint32_t index = 0; index < valueCount; ++index) {
        if (!key->EnumValueName(index, name) || !key->ReadValue(name, data))
            continue;
        const std::string valueName = NarrowAnsi(name);
        if (valueName == "DriverDesc") {
            record->description = NarrowAnsi(data);
        } else if (valueName == "MatchingDeviceId") {
            if (const auto match = MatchHardwareId(scanner, ToUpperAscii(NarrowAnsi(data)))) {
                record->category = category;
                record->deviceKey = match->deviceKey;
                record->searchPattern = match->searchPattern;
                matched = true;
            }
        }
    }

    if (matched && Kept(*record, filtered, category)) {
        const std::wstring searchPattern = WidenOem(record->searchPattern);
        if (!DevicePatternArgument(searchPattern)) {
            scanner.unsafePatterns.push_back(record->searchPattern);
            return map.Empty() ? 1 : 2;
        }
        PackageQueryNotes notes;
        const PackageQueryResult result = QueryDevicePackages(console, searchPattern, record->packages, notes);
        scanner.failedQuery = std::move(notes.failedQuery);
        for (std::wstring& query : notes.repeatedQueries)
            scanner.repeatedQueries.push_back(std::move(query));
        switch (result) {
        case PackageQueryResult::ToolFailed:
            scanner.outcome = ScanOutcome::ConsoleToolFailed;
            scanner.pendingKeys.clear();
            return map.Empty() ? 1 : 2;
        case PackageQueryResult::TimedOut:
            scanner.outcome = ScanOutcome::TimedOut;
            scanner.pendingKeys.clear();
            return map.Empty() ? 1 : 2;
        default:
            map.Insert(std::move(record));
        }
    }
    return map.Empty() ? 1 : 2;
}

void ScanClassKey(DriverScanner& scanner, IRegistryReader& registry, const DeviceConsole& console,
                  std::wstring_view classKey, bool filtered, int category, CategoryMap& map) {
    ExamineDeviceKey(scanner, registry, console, classKey, filtered, category, map);
    while (!scanner.pendingKeys.empty()) {
        const std::wstring path = std::move(scanner.pendingKeys.front());
        scanner.pendingKeys.pop_front();
        ExamineDeviceKey(scanner, registry, console, path, filtered, category, map);
    }
}

void RunScan(DriverInventory& inventory, IRegistryReader& registry, const DeviceConsole& console,
             IWorkerReport& report) {
    DriverScanner& scanner = inventory.scanner;
    scanner.unsafePatterns.clear();
    scanner.outcome = ScanOutcome::Completed;
    scanner.failedQuery.clear();
    scanner.repeatedQueries.clear();
    int previousCategory = 0;
    for (const ScanStep& step : kScanSteps) {
        if (scanner.outcome != ScanOutcome::Completed)
            break;
        CategoryMap& map = inventory.Category(step.category);
        if (step.category != previousCategory) // the second touchpad walk adds to the first
            map.Clear();
        previousCategory = step.category;
        ScanClassKey(inventory.scanner, registry, console, step.classKey, step.filtered, step.category, map);
    }
    for (const std::string& pattern : scanner.unsafePatterns)
        report.LogFailure(L"跳过硬件ID含有不安全字符的设备: " + Printable(WidenOem(pattern)));
    for (const std::wstring& query : scanner.repeatedQueries)
        report.LogFailure(L"设备控制台工具的回答不完整，已再问一次: " + query);
    if (scanner.outcome != ScanOutcome::Completed) {
        for (int category = kFirstCategory; category <= kLastCategory; ++category)
            inventory.Category(category).Clear();
        report.LogFailure((scanner.outcome == ScanOutcome::TimedOut ? L"设备控制台工具查询超时，检测中止: "
                                                                    : L"设备控制台工具没有回答，检测中止: ") +
                          scanner.failedQuery);
    }
    report.Send(kMsgWorkFinished, 0);
    report.Send(kMsgScanResult, inventory.AnyDevice() ? kResultSuccess : kResultFailure);
}
