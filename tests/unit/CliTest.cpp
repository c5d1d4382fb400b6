// The command-line front end's portable parts: its arguments and the JSON it prints.
#include "cli/BackupJson.h"
#include "cli/CliArguments.h"
#include "cli/InventoryJson.h"

#include <gtest/gtest.h>

TEST(CliArguments, ReadsCommandsAndOptionsInAnyOrder) {
    const CliArguments detect = ParseCliArguments({L"detect", L"--json"});
    EXPECT_EQ(detect.command, CliArguments::Command::Detect);
    EXPECT_TRUE(detect.json);
    EXPECT_TRUE(detect.error.empty());

    const CliArguments uninstall =
        ParseCliArguments({L"uninstall", L"--dry-run", L"--inf", L"oem12.inf", L"--category", L"1", L"--device", L"8086_3E9B"});
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
             // Only what the window offers: third-party packages, named as a plain INF file name.
             {L"uninstall", L"--device", L"K", L"--inf", L"display.inf"},
             {L"uninstall", L"--device", L"K", L"--inf", L"oem1.inf&calc"},
             {L"uninstall", L"--device", L"K", L"--inf", L"C:\\Windows\\INF\\oem1.inf"},
             {L"detect", L"--time-limit", L"0"},
             {L"detect", L"--time-limit", L"2s"},
         }) {
        EXPECT_FALSE(ParseCliArguments(arguments).error.empty()) << arguments.size();
    }
}

TEST(InventoryJson, ListsEveryCategoryInOrderWithEscapedUtf8Texts) {
    DriverInventory inventory;
    auto device = std::make_unique<DeviceRecord>();
    device->category = 9;
    device->deviceKey = "2F1D_A396";
    device->description = "\xd6\xc7\xd2\xf4 \"AI\""; // 智音 "AI" in code page 936
    device->searchPattern = "USB\\VID_2F1D^&PID_A396";
    device->packages = {{"oem72.inf", "Tolvik", "7/15/2020", "1.0.3.12", 1}, {"x.inf", "", "", "", 0}};
    inventory.Category(9).Insert(std::move(device));

    const std::string json = InventoryToJson(inventory);
    EXPECT_EQ(json.rfind("{\"categories\":[{\"number\":1,\"name\":\"\xe6\x98\xbe\xe5\x8d\xa1\",\"devices\":[]},", 0), 0u);
    EXPECT_NE(json.find("{\"number\":9,\"name\":\"\xe6\x99\xba\xe9\x9f\xb3\xe8\xae\xbe\xe5\xa4\x87\",\"devices\":[{"
                        "\"deviceKey\":\"2F1D_A396\",\"description\":\"\xe6\x99\xba\xe9\x9f\xb3 \\\"AI\\\"\","
                        "\"searchPattern\":\"USB\\\\VID_2F1D^&PID_A396\",\"packages\":[{\"infName\":\"oem72.inf\","
                        "\"provider\":\"Tolvik\",\"date\":\"7/15/2020\",\"version\":\"1.0.3.12\",\"isCurrent\":true},"
                        "{\"infName\":\"x.inf\",\"provider\":\"\",\"date\":\"\",\"version\":\"\",\"isCurrent\":false}]}]}]}"),
              std::string::npos)
        << json;
    EXPECT_EQ(JsonString(std::string("a\r\n\t\x01", 5)), "\"a\\r\\n\\t\\u0001\"");
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

    const CliArguments old = ParseCliArguments({L"uninstall", L"--all-devices", L"--old", L"--dry-run", L"--require-backup"});
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

TEST(BackupJson, EveryOutputNamesItsSchemaAndCommand) {
    EXPECT_EQ(WithSchema("detect", "{\"categories\":[]}"), "{\"schema\":1,\"command\":\"detect\",\"categories\":[]}");
    EXPECT_EQ(WithSchema("backups", "{}"), "{\"schema\":1,\"command\":\"backups\"}");
    DeviceRecord device;
    device.deviceKey = "8086_3E9B";
    CleanupStep deleted;
    deleted.package = {"oem3.inf", "Intel", "12/5/2018", "25.20.100.6472", 0};
    deleted.result = CleanupStep::Result::Deleted;
    deleted.freed = 100;
    CleanupStep refused = deleted;
    refused.result = CleanupStep::Result::Refused;
    refused.freed = 0;
    const std::string json = CleanupToJson(device, {deleted, refused});
    EXPECT_NE(json.find("\"result\":\"deleted\""), std::string::npos);
    EXPECT_NE(json.find("\"result\":\"refused\""), std::string::npos);
    EXPECT_NE(json.find("],\"freed\":100}"), std::string::npos);
}
