// The uninstall procedure: command order, the failure rows with their log entries, messages, refresh, and the
// backup before the deletion.
#include "uninstall/UninstallProcedure.h"

#include "FakeBackupFiles.h"
#include "FakeRunner.h"
#include "UninstallFakes.h"

#include <gtest/gtest.h>

namespace {

const std::string kDeleted = "Driver package 'oem12.inf' deleted.\r\n";
const std::string kInUse = "Deleting the specified driver package from the machine failed\r\n"
                           "because it is in use by a device.\r\ndevcon failed.\r\n";
const std::string kRemoved = "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00\\3&11583659&0&10    : Removed\r\n"
                             "1 device(s) were removed.\r\n";
const std::string kRemoveFailed = "PCI\\VEN_8086&DEV_3E9B\\3&1                                  : Remove failed\r\n"
                                  "No devices were removed.\r\ndevcon failed.\r\n";
const std::string kRescanned = "Scanning for new hardware.\r\nScanning completed.\r\n";
const std::string kFiles =
    "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00\\3&11583659&0&10\r\n"
    "    Name: Intel(R) UHD Graphics 630\r\n"
    "    Driver installed from C:\\Windows\\INF\\oem5.inf [s]. The driver is not using any files.\r\n"
    "1 matching device(s) found.\r\n";
const std::string kNodes = "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00\\3&11583659&0&10\r\n"
                           "    Name: Intel(R) UHD Graphics 630\r\n"
                           "Driver node #0:\r\n    Inf file is C:\\Windows\\INF\\oem5.inf\r\n"
                           "    Provider name is Intel Corporation\r\n    Driver version is 25.20.100.6472\r\n"
                           "1 matching device(s) found.\r\n";

const std::wstring kPrefix = L".\\devcon.exe ";
const std::string kPattern = "PCI\\VEN_8086^&DEV_3E9B";

struct RecordingReport : IWorkerReport {
    void Send(uint32_t message, uintptr_t wParam) override { messages.emplace_back(message, wParam); }
    void LogFailure(std::wstring_view entry) override { log.emplace_back(entry); }
    std::vector<std::pair<uint32_t, uintptr_t>> messages;
    std::vector<std::wstring> log;
};

using Messages = std::vector<std::pair<uint32_t, uintptr_t>>;
const Messages kSucceeded{{0x5F5, 0}, {0x5F8, 1}};
const Messages kFailed{{0x5F5, 0}, {0x5F8, 2}};

class Uninstall : public ::testing::Test {
protected:
    void SetUp() override {
        package_.infName = "oem12.inf";
        for (const char* key : {"8086_3E9B", "8086_3E98"}) {
            auto device = std::make_unique<DeviceRecord>();
            device->category = 1;
            device->deviceKey = key;
            device->searchPattern = key == std::string("8086_3E9B") ? kPattern : "PCI\\VEN_8086^&DEV_3E98";
            device->packages = {package_, {"oem5.inf", "", "", "", 0}};
            inventory_.Category(1).Insert(std::move(device));
        }
        inventory_.requestCategory = 1;
        inventory_.requestSearchPattern = kPattern;
        inventory_.requestPackage = &package_;
    }

    bool Run(FakeRunner& runner, bool is64Bit = false) {
        const DeviceConsole console(runner, L"C:\\Tools & more", is64Bit);
        return UninstallProcedure(inventory_, console, report_);
    }

    std::vector<std::string> Packages(const char* key) {
        std::vector<std::string> names;
        for (const auto& package : inventory_.Category(1).Find(key)->packages)
            names.push_back(package.infName);
        return names;
    }

    DriverPackageRecord package_;
    DriverInventory inventory_;
    RecordingReport report_;
};

} // namespace

TEST_F(Uninstall, APackageDeletedAtOnceRunsOneCommandThenRefreshesTheDevice) {
    FakeRunner runner({kDeleted, kFiles, kNodes});
    EXPECT_TRUE(Run(runner));
    ASSERT_EQ(runner.commands.size(), 3u);
    EXPECT_EQ(runner.commands[0], kPrefix + L"-f dp_delete oem12.inf");
    EXPECT_EQ(runner.commands[1], kPrefix + L"driverfiles *PCI\\VEN_8086^&DEV_3E9B*");
    EXPECT_EQ(report_.messages, kSucceeded);
    EXPECT_TRUE(report_.log.empty());
    EXPECT_EQ(Packages("8086_3E9B"), std::vector<std::string>{"oem5.inf"});
    EXPECT_EQ(inventory_.Category(1).Find("8086_3E9B")->packages[0].isCurrent, 1);
    // Another device of the same maker keeps its list untouched.
    EXPECT_EQ(Packages("8086_3E98"), (std::vector<std::string>{"oem12.inf", "oem5.inf"}));
}

TEST_F(Uninstall, APackageInUseRemovesOnlyItsDevicesDeletesAgainAndRescans) {
    FakeRunner runner({kInUse, kRemoved, kDeleted, kRescanned, kFiles, kNodes});
    EXPECT_TRUE(Run(runner, true));
    const std::wstring prefix64 = L".\\devconx64.exe ";
    ASSERT_EQ(runner.commands.size(), 6u);
    EXPECT_EQ(runner.commands[0], prefix64 + L"-f dp_delete oem12.inf");
    EXPECT_EQ(runner.commands[1], prefix64 + L"remove *PCI\\VEN_8086^&DEV_3E9B*");
    EXPECT_EQ(runner.commands[2], prefix64 + L"-f dp_delete oem12.inf");
    EXPECT_EQ(runner.commands[3], prefix64 + L"rescan");
    EXPECT_EQ(report_.messages, kSucceeded);
    EXPECT_EQ(Packages("8086_3E9B"), std::vector<std::string>{"oem5.inf"});
}

TEST_F(Uninstall, EachFailureLogsItsEntryRemovesOnlyOnAnInUseRefusalAndRescansOnceDevicesMayBeGone) {
    const std::string notThirdParty = "Deleting the specified driver package from the machine failed\r\n"
                                      "because it is not an third-party package.\r\ndevcon failed.\r\n";
    const std::string notRecognised = "'.\\devcon.exe' is not recognized as an internal or external command,\r\n";
    const std::string removedOnReboot = "PCI\\VEN_8086&DEV_3E9B\\3&1    : Removed on reboot\r\n"
                                        "The 1 device(s) are ready to be removed. To remove the devices, reboot the "
                                        "system.\r\n";
    std::string stillListed = kNodes;
    stillListed.insert(stillListed.find("1 matching"),
                       "Driver node #1:\r\n    Inf file is C:\\Windows\\INF\\oem12.inf\r\n");
    using O = CommandOutcome;
    struct Row {
        std::vector<std::string> outputs;
        int failAt;
        CommandOutcome failure;
        std::vector<std::wstring> log;
        std::vector<std::wstring> commands; // after the prefix
    };
    const std::wstring del = L"-f dp_delete oem12.inf";
    const std::wstring remove = L"remove *PCI\\VEN_8086^&DEV_3E9B*";
    const std::wstring files = L"driverfiles *PCI\\VEN_8086^&DEV_3E9B*";
    const std::wstring nodes = L"drivernodes *PCI\\VEN_8086^&DEV_3E9B*";
    const std::vector<Row> rows{
        {{}, 0, O::NotStarted, {L"执行卸载驱动命令失败"}, {del}},
        {{}, 0, O::TimedOut, {L"卸载驱动命令超时"}, {del}},
        // Refused for another reason than use: removing devices would not help.
        {{notThirdParty}, -1, O::NotStarted, {L"卸载失败"}, {del}},
        {{"Deleting the specified driver package from the machine failed.\r\n"},
         -1,
         O::NotStarted,
         {L"卸载失败"},
         {del}},
        // Output the tool never prints proves nothing; the package is still listed afterwards.
        {{notRecognised, kFiles, stillListed}, -1, O::NotStarted, {L"执行卸载驱动命令失败"}, {del, files, nodes}},
        // A refresh the tool does not answer is asked once more, and proves nothing either.
        {{"", "", ""}, -1, O::NotStarted, {L"执行卸载驱动命令失败"}, {del, files, files}},
        {{kInUse}, 1, O::NotStarted, {L"执行卸载设备命令失败"}, {del, remove}},
        {{kInUse}, 1, O::TimedOut, {L"卸载设备命令超时"}, {del, remove, L"rescan"}},
        {{kInUse, kRemoveFailed, kRescanned}, -1, O::NotStarted, {L"卸载设备失败"}, {del, remove, L"rescan"}},
        {{kInUse, "\x1b[2J\xff\r\n"}, -1, O::NotStarted, {L"执行卸载设备命令失败"}, {del, remove, L"rescan"}},
        {{kInUse, kRemoved}, 2, O::NotStarted, {L"执行卸载驱动命令失败"}, {del, remove, del, L"rescan"}},
        {{kInUse, removedOnReboot, kInUse}, -1, O::NotStarted, {L"卸载失败"}, {del, remove, del, L"rescan"}},
        {{kInUse, kRemoved, kInUse},
         3,
         O::NotStarted,
         {L"执行扫描设备命令失败", L"卸载失败"},
         {del, remove, del, L"rescan"}},
        {{kInUse, kRemoved, kDeleted}, 3, O::NotStarted, {L"执行扫描设备命令失败"}, {del, remove, del, L"rescan"}},
    };
    for (const Row& row : rows) {
        SetUp();
        report_ = {};
        FakeRunner runner(row.outputs, row.failAt, row.failure);
        EXPECT_FALSE(Run(runner)) << row.log.back();
        EXPECT_EQ(report_.log, row.log);
        EXPECT_EQ(report_.messages, kFailed) << row.log.back();
        std::vector<std::wstring> expected;
        for (const std::wstring& command : row.commands)
            expected.push_back(kPrefix + command);
        EXPECT_EQ(runner.commands, expected) << row.log.back();
        EXPECT_EQ(Packages("8086_3E9B").size(), 2u) << "a failure keeps the list";
    }
}

TEST_F(Uninstall, OutputWithoutConfirmationSucceedsOnlyWhenTheRefreshNoLongerListsThePackage) {
    FakeRunner runner({"", kFiles, kNodes});
    EXPECT_TRUE(Run(runner));
    EXPECT_EQ(runner.commands.size(), 3u);
    EXPECT_EQ(report_.messages, kSucceeded);
    EXPECT_EQ(Packages("8086_3E9B"), std::vector<std::string>{"oem5.inf"});

    // A refresh that does not name the device proves nothing either.
    SetUp();
    report_ = {};
    FakeRunner elsewhere({"", kFiles, "No matching devices found.\r\n"});
    EXPECT_FALSE(Run(elsewhere));
    EXPECT_EQ(report_.log, std::vector<std::wstring>{L"执行卸载驱动命令失败"});

    // Nor does an interpreter's complaint that quotes the command, hardware ID included.
    SetUp();
    report_ = {};
    const std::string notRecognised = "'.\\devcon.exe drivernodes *PCI\\VEN_8086&DEV_3E9B*' is not recognized as an "
                                      "internal or external command.\r\n1 matching device(s) found.\r\n";
    FakeRunner vanished({"", notRecognised, notRecognised});
    EXPECT_FALSE(Run(vanished));
    EXPECT_EQ(report_.log, std::vector<std::wstring>{L"执行卸载驱动命令失败"});
}

TEST_F(Uninstall, UnsafeNamesRunNothing) {
    for (const auto& [inf, pattern] :
         std::vector<std::pair<std::string, std::string>>{{"oem12.inf & del x", kPattern},
                                                          {"oem12.inf", "PCI\\VEN_8086^&DEV_3E9B\" | x"},
                                                          {"oem12.inf", "PCI\\VEN_*^&DEV_3E9B"},
                                                          {"oem%PATH%.inf", kPattern}}) {
        SetUp();
        report_ = {};
        package_.infName = inf;
        inventory_.requestSearchPattern = pattern;
        FakeRunner runner({});
        EXPECT_FALSE(Run(runner)) << inf << " " << pattern;
        EXPECT_TRUE(runner.commands.empty());
        EXPECT_EQ(report_.messages, kFailed);
    }
}

TEST_F(Uninstall, ARequestWithoutPackageRunsNothing) {
    inventory_.requestPackage = nullptr;
    FakeRunner runner({});
    EXPECT_FALSE(Run(runner));
    EXPECT_TRUE(runner.commands.empty());
    EXPECT_EQ(report_.log, std::vector<std::wstring>{L"工具内部错14"});
    EXPECT_EQ(report_.messages, kFailed);
}

TEST_F(Uninstall, AFailedRescanStillSucceedsAndAnUnknownCategorySkipsTheRefresh) {
    FakeRunner rescanFails({kInUse, kRemoved, kDeleted, "Scanning for new hardware.\r\ndevcon failed.\r\n"});
    inventory_.requestCategory = 10;
    EXPECT_TRUE(Run(rescanFails));
    EXPECT_EQ(rescanFails.commands.size(), 4u);
    EXPECT_EQ(report_.messages, kSucceeded);
    EXPECT_EQ(Packages("8086_3E9B").size(), 2u);
}

TEST_F(Uninstall, NoDeviceWithTheRequestedPatternStillSucceeds) {
    inventory_.requestSearchPattern = "USB\\VID_0000";
    FakeRunner runner({kDeleted});
    EXPECT_TRUE(Run(runner));
    EXPECT_EQ(runner.commands.size(), 1u);
    EXPECT_EQ(report_.messages, kSucceeded);
}

class UninstallBackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto device = std::make_unique<DeviceRecord>(Card());
        inventory_.Category(1).Insert(std::move(device));
        package_ = Card().packages[0];
        inventory_.requestCategory = 1;
        inventory_.requestSearchPattern = "PCI\\VEN_8086^&DEV_3E9B";
        inventory_.requestPackage = &package_;
    }
    DriverInventory inventory_;
    DriverPackageRecord package_;
    RecordingBackup backup_;
    NoReport report_;
};

TEST_F(UninstallBackupTest, OneBackupBeforeTheFirstDeletionAlsoOnTheRoadOfAPackageInUse) {
    FakeRunner runner({kInUse, "1 device(s) were removed.\r\n", "Driver package 'oem12.inf' deleted.\r\n", ""});
    BackupOutcome outcome;
    EXPECT_TRUE(
        UninstallProcedure(inventory_, DeviceConsole(runner, L"C:\\T", false), report_, {&backup_, false, &outcome}));
    EXPECT_EQ(backup_.saved, std::vector<std::string>{"oem12.inf 8086_3E9B"});
    EXPECT_EQ(outcome.folder, L"B\\1");
}

TEST_F(UninstallBackupTest, ADeletionThatDidNotHappenTakesItsBackupBackOneOfUnknownOutcomeKeepsIt) {
    BackupOutcome outcome;
    // Refused in the tool's words after the devices were removed: the package is there.
    FakeRunner refused({kInUse, "1 device(s) were removed.\r\n", kInUse, ""});
    EXPECT_FALSE(
        UninstallProcedure(inventory_, DeviceConsole(refused, L"C:\\T", false), report_, {&backup_, false, &outcome}));
    EXPECT_EQ(backup_.discarded, std::vector<std::wstring>{L"B\\1"});
    EXPECT_FALSE(outcome.made) << "the result does not name a backup that is gone";

    // The second deletion ran out of time: it may have deleted the package.
    FakeRunner late({kInUse, "1 device(s) were removed.\r\n"}, 2, CommandOutcome::TimedOut);
    EXPECT_FALSE(
        UninstallProcedure(inventory_, DeviceConsole(late, L"C:\\T", false), report_, {&backup_, false, &outcome}));
    EXPECT_EQ(backup_.discarded.size(), 1u);
    EXPECT_EQ(outcome.folder, L"B\\2");
}

TEST_F(UninstallBackupTest, AConfirmedDeletionWhoseInfIsStillOnTheDiskFails) {
    FakeBackupFiles disk;
    disk.files[L"C:\\Windows\\INF\\oem12.inf"] = "still here";
    FakeRunner runner({"Driver package 'oem12.inf' deleted.\r\n"});
    EXPECT_FALSE(UninstallProcedure(inventory_, DeviceConsole(runner, L"C:\\T", false), report_,
                                    {&backup_, false, nullptr, &disk}));
    ASSERT_EQ(report_.log.size(), 1u);
    EXPECT_NE(report_.log[0].find(L"oem12.inf 仍在，删除没有生效"), std::wstring::npos);
    EXPECT_TRUE(backup_.discarded.empty());

    disk.files.clear();
    FakeRunner gone({"Driver package 'oem12.inf' deleted.\r\n"});
    EXPECT_TRUE(UninstallProcedure(inventory_, DeviceConsole(gone, L"C:\\T", false), report_,
                                   {&backup_, false, nullptr, &disk}));
}

TEST_F(UninstallBackupTest, AFailedBackupStopsOnlyWhenRequired) {
    backup_.works = false;
    FakeRunner refused({});
    EXPECT_FALSE(UninstallProcedure(inventory_, DeviceConsole(refused, L"C:\\T", false), report_, {&backup_, true}));
    EXPECT_TRUE(refused.commands.empty());
    EXPECT_EQ(report_.log, std::vector<std::wstring>{L"没有备份驱动包，按要求不卸载"});
    EXPECT_EQ(report_.results.back(), kResultFailure);

    FakeRunner runner({"Driver package 'oem12.inf' deleted.\r\n"});
    EXPECT_TRUE(UninstallProcedure(inventory_, DeviceConsole(runner, L"C:\\T", false), report_, {&backup_, false}));
    EXPECT_EQ(runner.commands[0], kPrefix + L"-f dp_delete oem12.inf") << "the window's deletion goes on";
}
