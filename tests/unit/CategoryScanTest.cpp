// The category scan: hardware-ID matching, the breadth-first walk, the filters and the scan's messages.
#include "discovery/CategoryScan.h"

#include "FakeRunner.h"

#include <gtest/gtest.h>

#include <map>

namespace {

DriverScanner Catalogue() {
    DriverScanner scanner;
    scanner.idPatterns = {{"VEN_", "DEV_"}, {"VID_", "PID_"}, {"ACPI\\", ""}};
    scanner.terminators = {"\r\n", "&", "\\"};
    return scanner;
}

struct FakeKey {
    std::vector<std::wstring> subkeys;
    std::vector<std::pair<std::wstring, std::wstring>> values;
};

// A registry of keys by full path; a value reads like RegQueryValueExW with 255 bytes of room.
class FakeRegistry : public IRegistryReader {
public:
    std::map<std::wstring, FakeKey> keys;
    std::vector<std::wstring> opened;

    std::unique_ptr<IRegistryKey> Open(std::wstring_view path) override {
        opened.emplace_back(path);
        const auto found = keys.find(std::wstring(path));
        if (found == keys.end())
            return nullptr;
        return std::make_unique<Key>(found->second);
    }

    // Adds a device key below a class key, creating the class key's entry as needed.
    void AddDevice(const std::wstring& classKey, const std::wstring& sub, const std::wstring& description,
                   const std::wstring& matchingId) {
        keys[classKey].subkeys.push_back(sub);
        keys[classKey + L"\\" + sub].values = {{L"DriverDesc", description}, {L"MatchingDeviceId", matchingId}};
    }

private:
    struct Key : IRegistryKey {
        explicit Key(const FakeKey& key) : key_(key) {}
        bool QueryInfo(uint32_t& subkeys, uint32_t& values) override {
            subkeys = static_cast<uint32_t>(key_.subkeys.size());
            values = static_cast<uint32_t>(key_.values.size());
            return true;
        }
        bool EnumSubkey(uint32_t index, std::wstring& name) override {
            name = key_.subkeys.at(index);
            return true;
        }
        bool EnumValueName(uint32_t index, std::wstring& name) override {
            name = key_.values.at(index).first;
            return true;
        }
        bool ReadValue(std::wstring_view name, std::wstring& data) override {
            for (const auto& [valueName, value] : key_.values) {
                if (valueName == name) {
                    if ((value.size() + 1) * 2 > kValueDataBytes)
                        return false;
                    data = value;
                    return true;
                }
            }
            return false;
        }
        const FakeKey& key_;
    };
};

const std::wstring kDisplay = L"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
const std::wstring kSystem = L"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e97d-e325-11ce-bfc1-08002be10318}";
const std::wstring kMouse = L"SYSTEM\\ControlSet001\\Control\\Class\\{4d36e96f-e325-11ce-bfc1-08002be10318}";

struct RecordingReport : IWorkerReport {
    void Send(uint32_t message, uintptr_t wParam) override { messages.emplace_back(message, wParam); }
    void LogFailure(std::wstring_view) override { ++logged; }
    std::vector<std::pair<uint32_t, uintptr_t>> messages;
    int logged = 0;
};

// What the tool answers for a device that is not present.
std::vector<std::string> NotPresentAnswers(size_t count) {
    return std::vector<std::string>(count, "No matching devices found.\r\n");
}

std::vector<std::string> Keys(const CategoryMap& map) {
    std::vector<std::string> keys;
    for (const auto& [key, record] : map)
        keys.push_back(key);
    return keys;
}

} // namespace

TEST(MatchHardwareId, CutsVendorAndDeviceWithAnUnderscoreWhenTheyMakeEight) {
    const DriverScanner scanner = Catalogue();
    const auto pci = MatchHardwareId(scanner, "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00");
    ASSERT_TRUE(pci);
    EXPECT_EQ(pci->deviceKey, "8086_3E9B");
    EXPECT_EQ(pci->searchPattern, "PCI\\VEN_8086^&DEV_3E9B");

    const auto usb = MatchHardwareId(scanner, "USB\\VID_1234&PID_ABC&MI_00");
    ASSERT_TRUE(usb);
    EXPECT_EQ(usb->deviceKey, "1234ABC"); // 4 + 3: joined without "_"
    EXPECT_EQ(usb->searchPattern, "USB\\VID_1234^&PID_ABC");
}

TEST(MatchHardwareId, OneMarkerIdentifiersOfEightGetAnUnderscoreAfterTheFourth) {
    const DriverScanner scanner = Catalogue();
    const auto elan = MatchHardwareId(scanner, "ACPI\\ELAN0501");
    ASSERT_TRUE(elan);
    EXPECT_EQ(elan->deviceKey, "ELAN_0501");
    EXPECT_EQ(elan->searchPattern, "ACPI\\ELAN0501");

    const auto shorter = MatchHardwareId(scanner, "ACPI\\SYN1B7");
    ASSERT_TRUE(shorter);
    EXPECT_EQ(shorter->deviceKey, "SYN1B7");
    EXPECT_FALSE(MatchHardwareId(scanner, "ACPI\\VERYLONGIDENTIFIER")); // nothing ends it within 8
}

TEST(MatchHardwareId, AMissingSecondIdentifierSearchesOnOnlyWhileTheRestIsLong) {
    const DriverScanner scanner = Catalogue();
    // A rest of 16 characters (line break included) ends the whole match, although the next pattern would
    // have matched; one of 17 lets the next pattern try the rest.
    EXPECT_FALSE(MatchHardwareId(scanner, "PCI\\VEN_8086&VID_12&PID_34"));
    const auto next = MatchHardwareId(scanner, "PCI\\VEN_8086&VID_12&PID_345");
    ASSERT_TRUE(next);
    EXPECT_EQ(next->deviceKey, "12345");
    // A second identifier too long to end: the first marker is searched again further on, and the prefix
    // restarts from there.
    const auto again = MatchHardwareId(scanner, "PCI\\VEN_8086&DEV_123456789&VEN_10DE&DEV_1C82");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->deviceKey, "10DE_1C82");
    EXPECT_EQ(again->searchPattern, "123456789^&VEN_10DE^&DEV_1C82");
}

TEST(MatchHardwareId, FailsOnShortOrUnknownIdentifiers) {
    const DriverScanner scanner = Catalogue();
    EXPECT_FALSE(MatchHardwareId(scanner, "PCI\\VEN_&DEV_1234"));
    EXPECT_FALSE(MatchHardwareId(scanner, "ROOT\\BASICDISPLAY"));
    EXPECT_FALSE(MatchHardwareId(scanner, ""));
    EXPECT_FALSE(MatchHardwareId(DriverScanner{}, "PCI\\VEN_8086&DEV_3E9B"));
}

TEST(CategoryScan, WalksBreadthFirstAndKeepsTheFirstDeviceOfAKey) {
    FakeRegistry registry;
    registry.keys[kDisplay].subkeys.push_back(L"0000"); // no values of its own, one subkey
    registry.keys[kDisplay + L"\\0000"].subkeys = {L"Settings"};
    registry.keys[kDisplay + L"\\0000\\Settings"].values = {{L"DriverDesc", L"Deeper copy"},
                                                            {L"MatchingDeviceId", L"pci\\ven_8086&dev_3e9b"}};
    registry.AddDevice(kDisplay, L"0001", L"Second instance", L"pci\\ven_8086&dev_3e9b");
    registry.AddDevice(kDisplay, L"0002", L"NVIDIA GeForce GTX 1050", L"pci\\ven_10de&dev_1c81&subsys_1");
    registry.AddDevice(kDisplay, L"0003", L"X", L"pci\\ven_1002&dev_1234");         // description too short
    registry.AddDevice(kDisplay, L"0004", L"Basic Display", L"root\\basicdisplay"); // not in the catalogue
    registry.keys[kDisplay + L"\\0005"].values = {
        {L"DriverDesc", L"Too long"},
        {L"MatchingDeviceId", L"pci\\ven_8086&dev_1111&subsys_" + std::wstring(110, L'0')}};
    registry.keys[kDisplay].subkeys.push_back(L"0005");
    registry.AddDevice(kDisplay, L"0006", L"Planted", L"pci\\ven_8%6&dev_1234");

    DriverInventory inventory;
    inventory.scanner = Catalogue();
    FakeRunner runner(NotPresentAnswers(6));
    RecordingReport report;
    RunScan(inventory, registry, DeviceConsole(runner, L"C:\\t", false), report);

    const CategoryMap& display = inventory.Category(1);
    EXPECT_EQ(Keys(display), (std::vector<std::string>{"10DE_1C81", "8086_3E9B"}));
    EXPECT_EQ(display.Find("8086_3E9B")->description, "Second instance"); // 0001 comes before 0000\Settings
    EXPECT_EQ(display.Find("8086_3E9B")->searchPattern, "PCI\\VEN_8086^&DEV_3E9B");
    EXPECT_EQ(display.Find("8086_3E9B")->category, 1);
    // Two console runs per kept device, also for the one whose key was already taken.
    EXPECT_EQ(runner.commands.size(), 6u);
    EXPECT_EQ(runner.commands[0], L".\\devcon.exe driverfiles *PCI\\VEN_8086^&DEV_3E9B*");
    EXPECT_EQ(report.messages, (std::vector<std::pair<uint32_t, uintptr_t>>{{0x5F5, 0}, {0x5F7, 1}}));
    // The device whose ID the interpreter could misread is left out, and the log says so; nothing of it ran.
    EXPECT_EQ(report.logged, 1);
    for (const std::wstring& command : runner.commands)
        EXPECT_EQ(command.find(L'%'), std::wstring::npos) << command;
}

TEST(CategoryScan, TheSystemClassFeedsTouchpadsAndSmartAudioThroughTheirFilters) {
    FakeRegistry registry;
    registry.AddDevice(kMouse, L"0000", L"HID-compliant mouse", L"hid\\vid_046d&pid_c077");
    registry.AddDevice(kSystem, L"0000", L"Synaptics SMBus TouchPad", L"acpi\\syn1b7f");
    registry.AddDevice(kSystem, L"0001", L"ELAN Input Device", L"acpi\\elan0501");
    registry.AddDevice(kSystem, L"0002", L"synaptics smbus touchpad", L"acpi\\syn2000");
    registry.AddDevice(kSystem, L"0003", L"\u667a\u97f3\u8bed\u97f3\u8bbe\u5907", L"acpi\\xyz0001");
    registry.AddDevice(kSystem, L"0004", L"PCI standard host bridge", L"pci\\ven_8086&dev_3e30");

    DriverInventory inventory;
    inventory.scanner = Catalogue();
    FakeRunner runner(NotPresentAnswers(10));
    RecordingReport report;
    RunScan(inventory, registry, DeviceConsole(runner, L"C:\\t", false), report);

    EXPECT_EQ(Keys(inventory.Category(7)), (std::vector<std::string>{"046D_C077", "SYN1B7F"}));
    EXPECT_EQ(Keys(inventory.Category(9)), (std::vector<std::string>{"XYZ0001"}));
    EXPECT_EQ(inventory.Category(9).Find("XYZ0001")->category, 9);
    for (int category : {1, 2, 3, 4, 5, 6, 8})
        EXPECT_TRUE(inventory.Category(category).Empty()) << category;
    EXPECT_EQ(report.messages.back(), (std::pair<uint32_t, uintptr_t>{0x5F7, 1}));
}

TEST(CategoryScan, NothingFoundReportsTwoAndAnotherScanStartsFromEmptyMaps) {
    FakeRegistry registry;
    DriverInventory inventory;
    inventory.scanner = Catalogue();
    auto stale = std::make_unique<DeviceRecord>();
    stale->deviceKey = "old";
    inventory.Category(3).Insert(std::move(stale));

    FakeRunner runner({});
    RecordingReport report;
    RunScan(inventory, registry, DeviceConsole(runner, L"C:\\t", false), report);
    EXPECT_FALSE(inventory.AnyDevice());
    EXPECT_TRUE(runner.commands.empty());
    EXPECT_EQ(report.messages, (std::vector<std::pair<uint32_t, uintptr_t>>{{0x5F5, 0}, {0x5F7, 2}}));
    EXPECT_EQ(registry.opened.size(), 10u); // ten walks, every class key missing
}

// A console tool that is missing, fails or hangs must not pass for a PC without packages: the scan ends at the
// first such query, whichever device it was for, and reports nothing usable.
TEST(CategoryScan, GivesUpAtTheFirstQueryTheToolFailsOrRunsLateOn) {
    FakeRegistry registry;
    registry.AddDevice(kDisplay, L"0000", L"Intel(R) UHD Graphics 630", L"pci\\ven_8086&dev_3e9b");
    registry.AddDevice(kDisplay, L"0001", L"NVIDIA GeForce GTX 1050", L"pci\\ven_10de&dev_1c8d");
    registry.AddDevice(kMouse, L"0000", L"Synaptics SMBus TouchPad", L"acpi\\syn1b7f");
    const std::string missingTool = "'.\\devcon.exe' is not recognized as an internal or external command\r\n";
    // A query that does not answer is asked once more (a second query after it, and a log entry); one that runs
    // late is not.
    struct Case {
        std::vector<std::string> outputs;
        int failAt;
        CommandOutcome failure;
        ScanOutcome outcome;
        size_t commandsRun;
        const wchar_t* failedQuery;
        int logged;
    };
    for (const Case& c :
         {Case{{missingTool, missingTool},
               -1,
               CommandOutcome::Finished,
               ScanOutcome::ConsoleToolFailed,
               2,
               L"driverfiles",
               2},
          Case{NotPresentAnswers(2), 2, CommandOutcome::NotStarted, ScanOutcome::ConsoleToolFailed, 4, L"driverfiles",
               2},
          Case{NotPresentAnswers(3), 3, CommandOutcome::TimedOut, ScanOutcome::TimedOut, 4, L"drivernodes", 1}}) {
        DriverInventory inventory;
        inventory.scanner = Catalogue();
        FakeRunner runner(c.outputs, c.failAt, c.failure);
        RecordingReport report;
        RunScan(inventory, registry, DeviceConsole(runner, L"C:\\t", false), report);
        EXPECT_EQ(inventory.scanner.outcome, c.outcome);
        EXPECT_EQ(runner.commands.size(), c.commandsRun) << "no query after the failed one";
        EXPECT_FALSE(inventory.AnyDevice()) << "no device shown without its packages";
        EXPECT_EQ(report.messages, (std::vector<std::pair<uint32_t, uintptr_t>>{{0x5F5, 0}, {0x5F7, 2}}));
        EXPECT_EQ(report.logged, c.logged);
        EXPECT_EQ(inventory.scanner.failedQuery.rfind(c.failedQuery, 0), 0u) << inventory.scanner.failedQuery;
    }
}
