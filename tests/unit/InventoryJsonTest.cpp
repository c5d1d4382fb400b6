// The inventory as JSON.
#include "cli/InventoryJson.h"

#include <gtest/gtest.h>

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
