// The clean-up of old packages, with a recording backup.
#include "uninstall/OldPackageCleanup.h"

#include "FakeBackupFiles.h"
#include "FakeRunner.h"
#include "UninstallFakes.h"

#include <gtest/gtest.h>

namespace {

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
