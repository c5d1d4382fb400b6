// The command line's arguments: commands, options, help, refusals and the sizes of --max-size.
#include "cli/CliArguments.h"

#include <gtest/gtest.h>

TEST(CliArguments, ReadsCommandsAndOptionsInAnyOrder) {
    const CliArguments detect = ParseCliArguments({L"detect", L"--json"});
    EXPECT_EQ(detect.command, CliArguments::Command::Detect);
    EXPECT_TRUE(detect.json);
    EXPECT_TRUE(detect.error.empty());

    const CliArguments uninstall = ParseCliArguments(
        {L"uninstall", L"--dry-run", L"--inf", L"oem12.inf", L"--category", L"1", L"--device", L"8086_3E9B"});
    EXPECT_EQ(uninstall.command, CliArguments::Command::Uninstall);
    EXPECT_EQ(uninstall.device, L"8086_3E9B");
    EXPECT_EQ(uninstall.inf, L"oem12.inf");
    EXPECT_EQ(uninstall.category, 1);
    EXPECT_TRUE(uninstall.dryRun);
    EXPECT_TRUE(uninstall.error.empty());

    EXPECT_EQ(ParseCliArguments({L"detect", L"--time-limit", L"30"}).timeLimitSeconds, 30u);
    EXPECT_TRUE(ParseCliArguments({L"uninstall", L"--device", L"K", L"--inf", L"OEM3.INF"}).error.empty());
    EXPECT_EQ(ParseCliArguments({}).command, CliArguments::Command::Help);
    EXPECT_EQ(ParseCliArguments({L"--help"}).command, CliArguments::Command::Help);
    // Device keys are upper case as the scan makes them, whatever the case typed.
    EXPECT_EQ(ParseCliArguments({L"uninstall", L"--device", L"8086_3e9b", L"--old"}).device, L"8086_3E9B");
}

TEST(CliArguments, EveryCommandHasItsHelpListingAllItsOptions) {
    const std::vector<std::pair<std::wstring, std::vector<std::wstring>>> commands = {
        {L"detect", {L"--json", L"--output", L"--time-limit", L"--help"}},
        {L"uninstall",
         {L"--device", L"--inf", L"--category", L"--dry-run", L"--old", L"--all-devices", L"--require-backup",
          L"--backup-dir", L"--json", L"--output", L"--time-limit"}},
        {L"restore", {L"--backup-dir", L"--json", L"--output", L"--time-limit"}},
        {L"backups", {L"--prune", L"--keep", L"--max-size", L"--backup-dir", L"--json", L"--output"}},
    };
    for (const auto& [command, options] : commands) {
        for (const std::vector<std::wstring>& asked :
             {std::vector<std::wstring>{command, L"--help"}, {command, L"-h"}, {L"help", command}}) {
            const CliArguments help = ParseCliArguments(asked);
            ASSERT_EQ(help.command, CliArguments::Command::Help) << command;
            EXPECT_TRUE(help.error.empty()) << command;
            for (const std::wstring& option : options)
                EXPECT_NE(help.helpText.find(option), std::wstring::npos) << command << " lacks " << option;
        }
    }
    const std::wstring overall = ParseCliArguments({L"--help"}).helpText;
    for (const wchar_t* part : {L"detect", L"uninstall", L"restore", L"backups", L"3010", L"1605", L"87"})
        EXPECT_NE(overall.find(part), std::wstring::npos) << part;
    EXPECT_EQ(ParseCliArguments({L"--version"}).command, CliArguments::Command::Version);
    EXPECT_FALSE(ParseCliArguments({L"help", L"remove"}).error.empty());
}

TEST(CliArguments, RefusesWhatItCannotUse) {
    for (const std::vector<std::wstring>& arguments : std::vector<std::vector<std::wstring>>{
             {L"remove"},
             {L"detect", L"--dry-run"},
             {L"uninstall", L"--device", L"8086_3E9B"},
             {L"uninstall", L"--inf", L"oem1.inf"},
             {L"uninstall", L"--device", L"K", L"--inf"},
             {L"uninstall", L"--device", L"K", L"--inf", L"oem1.inf", L"--category", L"10"},
             {L"uninstall", L"--device", L"K", L"--inf", L"oem1.inf", L"--category", L"0"},
             {L"detect", L"--time-limit", L"0"},
             {L"detect", L"--time-limit", L"2s"},
             // An option given twice is a mistake, not a choice of the last one.
             {L"detect", L"--json", L"--json"},
             {L"uninstall", L"--device", L"K", L"--device", L"L", L"--inf", L"oem1.inf"},
             {L"uninstall", L"--device", L"K", L"--inf", L"oem1.inf", L"--dry-run", L"--dry-run"},
         }) {
        EXPECT_FALSE(ParseCliArguments(arguments).error.empty()) << arguments.size();
    }
}

TEST(CliArguments, RefusesWhatTheWindowWouldNotOfferWithItsOwnCode) {
    EXPECT_EQ(RefuseInfName(L"display.inf")->code, "refused-inbox");
    for (const wchar_t* name : {L"oem1.inf&calc", L"C:\\Windows\\INF\\oem1.inf", L"oem%PATH%.inf"})
        EXPECT_EQ(RefuseInfName(name)->code, "bad-arguments") << name;
    EXPECT_FALSE(RefuseInfName(L"OEM3.INF").has_value());
}

TEST(CliArguments, BackupCommandsAndOptions) {
    const CliArguments restore =
        ParseCliArguments({L"restore", L"latest", L"--json", L"--backup-dir", L"D:\\备份 %X%", L"--time-limit", L"30"});
    EXPECT_EQ(restore.timeLimitSeconds, 30u);
    EXPECT_EQ(restore.command, CliArguments::Command::Restore);
    EXPECT_EQ(restore.restoreFrom, L"latest");
    EXPECT_EQ(restore.backupDir, L"D:\\备份 %X%");
    EXPECT_TRUE(restore.json && restore.error.empty());

    const CliArguments prune = ParseCliArguments({L"backups", L"--prune", L"--max-size", L"500M", L"--keep", L"3"});
    EXPECT_EQ(prune.maxSize, 500ll << 20);
    EXPECT_EQ(prune.keep, 3);
    EXPECT_TRUE(prune.error.empty());

    const CliArguments old =
        ParseCliArguments({L"uninstall", L"--all-devices", L"--old", L"--dry-run", L"--require-backup"});
    EXPECT_TRUE(old.old && old.allDevices && old.dryRun && old.requireBackup);
    EXPECT_TRUE(old.error.empty());

    for (const std::vector<std::wstring>& arguments : std::vector<std::vector<std::wstring>>{
             {L"restore"},
             {L"restore", L"a", L"b"},
             {L"backups", L"--prune"},
             {L"backups", L"--keep", L"2"},
             {L"backups", L"--prune", L"--keep", L"2x"},
             {L"backups", L"--prune", L"--max-size", L"lots"},
             {L"uninstall", L"--old"},
             {L"uninstall", L"--old", L"--device", L"K", L"--all-devices"},
             {L"uninstall", L"--old", L"--device", L"K", L"--inf", L"oem1.inf"},
             {L"uninstall", L"--device", L"K", L"--inf", L"oem1.inf", L"--backup-dir"},
         }) {
        EXPECT_FALSE(ParseCliArguments(arguments).error.empty()) << arguments.size() << " " << arguments.back().size();
    }
    EXPECT_EQ(ParseSize(L"2G"), 2ll << 30);
    EXPECT_EQ(ParseSize(L"750kb"), 750ll << 10);
    EXPECT_EQ(ParseSize(L"12"), 12);
    EXPECT_EQ(ParseSize(L"M"), -1);
}
