// The command-line front end's portable parts: its arguments and the JSON it prints.
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
