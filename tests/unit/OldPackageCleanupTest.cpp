// The clean-up of old packages and the backup before an uninstall, with a recording backup.
#include "uninstall/OldPackageCleanup.h"
#include "uninstall/UninstallProcedure.h"

#include "FakeBackupFiles.h"
#include "FakeRunner.h"

#include <gtest/gtest.h>

namespace {

struct RecordingBackup : IPackageBackup {
    BackupOutcome Backup(const BackupRequest& request) override {
        saved.push_back(request.package.infName + " " + request.deviceKey);
        BackupOutcome outcome;
        outcome.made = works;
        outcome.folder = works ? L"B\\" + std::to_wstring(saved.size()) : L"";
        outcome.reason = works ? L"" : L"disk full";
        outcome.size = works ? 1000 : 0;
        return outcome;
    }
    void Discard(BackupOutcome& outcome) override {
        discarded.push_back(outcome.folder);
        outcome = {};
    }
    bool works = true;
    std::vector<std::string> saved;
    std::vector<std::wstring> discarded;
};

struct NoReport : IWorkerReport {
    void Send(uint32_t, uintptr_t wParam) override { results.push_back(wParam); }
    void LogFailure(std::wstring_view entry) override { log.emplace_back(entry); }
    std::vector<uintptr_t> results;
    std::vector<std::wstring> log;
};

DeviceRecord Card() {
    DeviceRecord device;
    device.category = 1;
    device.deviceKey = "8086_3E9B";
    device.searchPattern = "PCI\\VEN_8086^&DEV_3E9B";
    device.packages = {{"oem12.inf", "Intel", "3/24/2020", "26.20.100.7985", 1},
                       {"oem8.inf", "Intel", "8/26/2019", "26.20.100.7158", 0},
                       {"oem3.inf", "Intel", "12/5/2018", "25.20.100.6472", 0},
                       {"oem4.inf", "Intel", "12/5/2018", "25.20.100.999", 0},
                       {"display.inf", "Microsoft", "6/21/2006", "10.0.19041.1", 0}};
    return device;
}

const std::string kInUse = "Deleting the specified driver package from the machine failed\r\n"
                           "because it is in use by a device.\r\ndevcon failed.\r\n";
const std::wstring kPrefix = L".\\devcon.exe ";

} // namespace

TEST(OldPackages, OldestFirstNeverTheCurrentNorAWindowsPackage) {
    std::vector<std::string> order;
    for (const DriverPackageRecord& package : OldPackagesOf(Card()))
        order.push_back(package.infName);
    EXPECT_EQ(order, (std::vector<std::string>{"oem4.inf", "oem3.inf", "oem8.inf"}))
        << "same date: lower version first";
}

TEST(OldPackages, DatesAreReadAsChineseAmericanAndIsoWindowsPrintThem) {
    // The same three packages dated the way each locale prints them sort the same way.
    for (const auto& dates : std::vector<std::vector<std::string>>{{"2020/3/24", "2019/8/26", "2018/12/5"},
                                                                   {"3/24/2020", "8/26/2019", "12/5/2018"},
                                                                   {"2020-03-24", "2019-08-26", "2018-12-05"}}) {
        DeviceRecord device = Card();
        device.packages = {{"oem1.inf", "", "", "1.0", 1},
                           {"oem20.inf", "", dates[0], "9.0", 0},
                           {"oem19.inf", "", dates[1], "1.0", 0},
                           {"oem18.inf", "", dates[2], "5.0", 0}};
        std::vector<std::string> order;
        for (const DriverPackageRecord& package : OldPackagesOf(device))
            order.push_back(package.infName);
        EXPECT_EQ(order, (std::vector<std::string>{"oem18.inf", "oem19.inf", "oem20.inf"})) << dates[0];
    }
    EXPECT_EQ(DriverDateValue("2020/3/24"), DriverDateValue("3/24/2020"));
    EXPECT_EQ(DriverDateValue("Provider name is"), 0);
}

TEST(OldPackages, NothingIsOldWhenTheToolNamedNoCurrentDriver) {
    DeviceRecord device = Card();
    device.packages[0].isCurrent = 0; // "No driver information available for the device."
    EXPECT_TRUE(OldPackagesOf(device).empty());
}

TEST(OldPackages, APackageTwoDevicesListIsTakenOnceAndOneSomeDeviceRunsNever) {
    DeviceRecord first = Card();
    DeviceRecord second = Card();
    second.packages = {{"oem9.inf", "Intel", "1/1/2021", "27.0", 1},
                       {"OEM8.INF", "Intel", "8/26/2019", "26.20.100.7158", 0},
                       {"oem12.inf", "Intel", "3/24/2020", "26.20.100.7985", 0}};
    FakeRunner runner({});
    RecordingBackup backup;
    CleanupRun run{&backup, nullptr, true, false, {}};
    const DeviceConsole console(runner, L"C:\\T", false);
    EXPECT_EQ(CleanUpOldPackages(console, run, first).size(), 3u);
    EXPECT_TRUE(CleanUpOldPackages(console, run, second).empty()) << "oem8 was taken, oem12 runs the first device";
}

TEST(OldPackages, ADeletionTheDiskDoesNotShowFailsAndKeepsItsBackup) {
    DeviceRecord device = Card();
    device.packages = {device.packages[0], device.packages[1]};
    FakeBackupFiles disk;
    disk.files[L"C:\\Windows\\INF\\oem8.inf"] = "still here";
    FakeRunner runner({"Driver package 'oem8.inf' deleted.\r\n"});
    RecordingBackup backup;
    CleanupRun run{&backup, &disk, false, false, {}};
    const auto steps = CleanUpOldPackages(DeviceConsole(runner, L"C:\\T", false), run, device);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].result, CleanupStep::Result::Failed);
    EXPECT_NE(steps[0].message.find(L"C:\\Windows\\INF\\oem8.inf 仍在"), std::wstring::npos);
    EXPECT_EQ(steps[0].freed, 0u);
    EXPECT_EQ(steps[0].backupFolder, L"B\\1") << "whether it is gone is unknown: the way back stays";
    EXPECT_TRUE(backup.discarded.empty());
}

TEST(OldPackages, EachIsSavedThenDeletedUnforcedARefusalKeepsPackageAndNoBackup) {
    DeviceRecord device = Card();
    FakeRunner runner({"Driver package 'oem4.inf' deleted.\r\n", kInUse,
                       "Deleting the specified driver package "
                       "from the machine failed.\r\n"});
    RecordingBackup backup;
    CleanupRun run{&backup, nullptr, false, false, {}};
    const auto steps = CleanUpOldPackages(DeviceConsole(runner, L"C:\\T", false), run, device);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].result, CleanupStep::Result::Deleted);
    EXPECT_EQ(steps[0].freed, 1000u);
    EXPECT_EQ(steps[1].result, CleanupStep::Result::Refused);
    EXPECT_EQ(steps[2].result, CleanupStep::Result::Failed);
    EXPECT_EQ(runner.commands[0], kPrefix + L"dp_delete oem4.inf");
    EXPECT_EQ(runner.commands[1], kPrefix + L"dp_delete oem3.inf");
    EXPECT_EQ(runner.commands[3], kPrefix + L"driverfiles *PCI\\VEN_8086^&DEV_3E9B*") << "then the list anew";
    for (const std::wstring& command : runner.commands)
        EXPECT_EQ(command.find(L"remove"), std::wstring::npos) << "never a device";
    EXPECT_EQ(backup.saved.size(), 3u);
    EXPECT_EQ(backup.discarded, (std::vector<std::wstring>{L"B\\2", L"B\\3"}));
}

TEST(OldPackages, ADryRunOrAMissingRequiredBackupDeletesNothing) {
    DeviceRecord device = Card();
    FakeRunner runner({});
    RecordingBackup backup;
    const DeviceConsole console(runner, L"C:\\T", false);
    CleanupRun dryRun{&backup, nullptr, true, false, {}};
    EXPECT_EQ(CleanUpOldPackages(console, dryRun, device).size(), 3u);
    EXPECT_TRUE(runner.commands.empty());
    EXPECT_TRUE(backup.saved.empty());

    backup.works = false;
    CleanupRun required{&backup, nullptr, false, true, {}};
    const auto steps = CleanUpOldPackages(console, required, device);
    for (const CleanupStep& step : steps)
        EXPECT_EQ(step.result, CleanupStep::Result::NotBackedUp);
    EXPECT_EQ(runner.commands.size(), 2u) << "only the refresh";
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
