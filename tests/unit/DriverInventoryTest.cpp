// The inventory model: key order, first insertion wins, notify window rule.
#include "discovery/DriverInventory.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<DeviceRecord> Device(std::string key, std::string description) {
    auto record = std::make_unique<DeviceRecord>();
    record->category = 1;
    record->deviceKey = std::move(key);
    record->description = std::move(description);
    return record;
}

} // namespace

TEST(CategoryMap, KeepsTheFirstRecordOfAKeyAndOrdersKeysByBytes) {
    CategoryMap map;
    EXPECT_TRUE(map.Insert(Device("a", "first")));
    EXPECT_FALSE(map.Insert(Device("a", "second")));
    EXPECT_TRUE(map.Insert(Device("B", "upper")));
    EXPECT_TRUE(map.Insert(Device("\xd6\xc7", "gbk"))); // high bytes sort after ASCII
    EXPECT_TRUE(map.Insert(Device("10DE_1C82", "nvidia")));
    EXPECT_FALSE(map.Insert(nullptr));

    std::vector<std::string> keys;
    for (const auto& [key, record] : map)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"10DE_1C82", "B", "a", "\xd6\xc7"}));
    EXPECT_EQ(map.Find("a")->description, "first");
    EXPECT_EQ(map.Find("missing"), nullptr);

    map.Clear();
    EXPECT_TRUE(map.Empty());
}

TEST(DriverInventory, NotifyWindowIgnoresNullAndMapsStartEmpty) {
    DriverInventory inventory;
    int window = 0;
    EXPECT_FALSE(inventory.SetNotifyWindow(nullptr));
    EXPECT_EQ(inventory.NotifyWindow(), nullptr);
    EXPECT_TRUE(inventory.SetNotifyWindow(&window));
    EXPECT_EQ(inventory.NotifyWindow(), &window);
    EXPECT_FALSE(inventory.AnyDevice());

    inventory.Category(9).Insert(Device("k", "smart"));
    EXPECT_TRUE(inventory.AnyDevice());
    EXPECT_THROW(inventory.Category(10), std::out_of_range);
    EXPECT_STREQ(CategoryDisplayName(1), L"显卡");
    EXPECT_STREQ(CategoryDisplayName(9), L"智音设备");
    EXPECT_STREQ(CategoryDisplayName(0), L"");
}
