// The command-line front end's portable parts: its arguments and the JSON it prints.
#include "cli/BackupJson.h"
#include "cli/CliArguments.h"
#include "cli/CliReply.h"
#include "cli/InventoryJson.h"

#include <gtest/gtest.h>

#include <set>

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

TEST(InventoryJson, ListsEveryCategoryInOrderWithUtf8Texts) {
    DriverInventory inventory;
    auto device = std::make_unique<DeviceRecord>();
    device->category = 9;
    device->deviceKey = "2F1D_A396";
    device->description = "\xd6\xc7\xd2\xf4 \"AI\""; // 智音 "AI" in code page 936
    device->searchPattern = "USB\\VID_2F1D^&PID_A396";
    device->packages = {{"oem72.inf", "Tolvik", "7/15/2020", "1.0.3.12", 1}, {"x.inf", "", "", "", 0}};
    inventory.Category(9).Insert(std::move(device));

    const nlohmann::json json = nlohmann::json::parse(InventoryToJson(inventory).dump());
    ASSERT_EQ(json["categories"].size(), 9u);
    EXPECT_EQ(json["categories"][0]["name"], "\xe6\x98\xbe\xe5\x8d\xa1"); // 显卡
    const nlohmann::json& smartAudio = json["categories"][8]["devices"][0];
    EXPECT_EQ(smartAudio["description"], "\xe6\x99\xba\xe9\x9f\xb3 \"AI\"");
    EXPECT_EQ(smartAudio["searchPattern"], "USB\\VID_2F1D^&PID_A396");
    EXPECT_EQ(smartAudio["packages"][0]["isCurrent"], true);
    EXPECT_EQ(smartAudio["packages"][1]["infName"], "x.inf");
}

// Scripts tell outcomes apart by the exit code alone: success, nothing to do, a needed restart, bad arguments,
// not found, the console tool, a partial failure and a plain failure never share one.
TEST(CliReply, OutcomesOfDifferentKindsHaveDifferentExitCodes) {
    const std::vector<std::vector<std::string>> kinds = {
        {"detected", "deleted", "planned", "cleaned", "restored", "listed", "pruned"},
        {"not-present"},
        {"reboot-required"},
        {"bad-arguments", "refused-inbox"},
        {"not-administrator"},
        {"no-devices", "unknown-device", "unknown-package", "no-backup"},
        {"console-tool-failed", "console-tool-timed-out"},
        {"partial-failure"},
        {"uninstall-failed", "backup-failed", "restore-failed", "internal-error"},
    };
    std::set<int> seen;
    for (const auto& kind : kinds) {
        const int exitCode = ExitCodeOf(kind.front());
        EXPECT_TRUE(seen.insert(exitCode).second) << kind.front();
        for (const std::string& code : kind)
            EXPECT_EQ(ExitCodeOf(code), exitCode) << code;
    }
    EXPECT_EQ(ExitCodeOf("deleted"), 0);
    EXPECT_TRUE(IsOk("not-present") && IsOk("reboot-required") && !IsOk("partial-failure") && !IsOk("no-such-code"));

    CliReply reply = Failure("console-tool-failed", L"获取设备驱动失败", L"driverfiles *X*");
    reply.members = {{"device", "K"}};
    const nlohmann::json json = ReplyToJson("detect", reply);
    EXPECT_EQ(json["ok"], false);
    EXPECT_EQ(json["exitCode"], ExitCodeOf("console-tool-failed"));
    EXPECT_EQ(json["error"], "driverfiles *X*");
    EXPECT_EQ(json["device"], "K");
    EXPECT_TRUE(ReplyToJson("", reply)["command"].is_null());
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

TEST(BackupJson, CleanupStepsNameTheirResults) {
    DeviceRecord device;
    device.deviceKey = "8086_3E9B";
    CleanupStep deleted;
    deleted.package = {"oem3.inf", "Intel", "12/5/2018", "25.20.100.6472", 0};
    deleted.result = CleanupStep::Result::Deleted;
    deleted.freed = 100;
    CleanupStep refused = deleted;
    refused.result = CleanupStep::Result::Refused;
    refused.freed = 0;
    const nlohmann::json json = CleanupToJson(device, {deleted, refused});
    EXPECT_EQ(json["steps"][0]["result"], "deleted");
    EXPECT_EQ(json["steps"][1]["result"], "refused");
    EXPECT_EQ(json["freed"], 100);
}
