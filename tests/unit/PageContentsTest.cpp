// What the selection page shows of an inventory: categories, devices, package rows and the question.
#include "ui/layout/PageContents.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<DeviceRecord> Device(int category, std::string key, std::string description,
                                     std::vector<DriverPackageRecord> packages = {}) {
    auto device = std::make_unique<DeviceRecord>();
    device->category = category;
    device->deviceKey = std::move(key);
    device->description = std::move(description);
    device->searchPattern = "PCI\\VEN_8086^&DEV_" + device->deviceKey;
    device->packages = std::move(packages);
    return device;
}

DriverPackageRecord Package(std::string inf, std::string version, bool current = false) {
    return {std::move(inf), "Intel Corporation", "3/24/2020", std::move(version), current};
}

} // namespace

TEST(SelectionPageContents, AnEmptyInventoryShowsNoCategory) {
    DriverInventory inventory;
    EXPECT_TRUE(CategoryTreeOf(inventory).empty());
}

TEST(SelectionPageContents, OnlyNonEmptyCategoriesInNumberOrderWithTheirDevicesInKeyOrder) {
    DriverInventory inventory;
    inventory.Category(9).Insert(Device(9, "2F1D_A396", "Smart"));
    inventory.Category(3).Insert(Device(3, "b", "second"));
    inventory.Category(3).Insert(Device(3, "a", "first"));
    inventory.Category(3).Insert(Device(3, "C", "upper case sorts first"));
    inventory.Category(1).Insert(Device(1, "8086_3E9B", "Intel(R) UHD Graphics 630"));

    const std::vector<CategoryBranch> tree = CategoryTreeOf(inventory);
    ASSERT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree[0].category, 1);
    EXPECT_EQ(tree[0].label, L"显卡");
    EXPECT_EQ(tree[1].label, L"网卡");
    EXPECT_EQ(tree[2].label, L"智音设备");
    ASSERT_EQ(tree[1].devices.size(), 3u);
    EXPECT_EQ(tree[1].devices[0]->deviceKey, "C");
    EXPECT_EQ(tree[1].devices[1]->deviceKey, "a");
    EXPECT_EQ(tree[1].devices[2]->deviceKey, "b");
    // The nodes carry the inventory's own records.
    EXPECT_EQ(tree[0].devices[0], inventory.Category(1).Find("8086_3E9B"));
}

TEST(SelectionPageContents, ATouchpadOnlyScanShowsOneRoot) {
    DriverInventory inventory;
    inventory.Category(7).Insert(Device(7, "ELAN_0501", "ELAN Input Device"));
    const std::vector<CategoryBranch> tree = CategoryTreeOf(inventory);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].label, L"触控板");
    EXPECT_EQ(DeviceLabel(*tree[0].devices[0]), L"ELAN Input Device");
}

TEST(SelectionPageContents, DeviceLabelsAreTheDescriptionReadAsCodePage936) {
    const auto device = Device(2, "8086_280B", "\xd3\xa2\xcc\xd8\xb6\xfb(R) \xcf\xd4\xca\xbe\xc6\xf7\xd2\xf4\xc6\xb5");
    EXPECT_EQ(DeviceLabel(*device), L"英特尔(R) 显示器音频");
}

TEST(SelectionPageContents, RowsListOnlyOemPackagesInOrderAndMarkTheInstalledOne) {
    const auto device = Device(1, "8086_3E9B", "Intel(R) UHD Graphics 630",
                               {Package("oem12.inf", "26.20.100.7985", 1), Package("display.inf", "10.0.19041.1"),
                                Package("oem8.inf", "26.20.100.7158"), Package("OEM3.INF", "25.20.100.6472"),
                                Package("myoem.inf", "1.0.0.0")});
    const std::vector<PackageRow> rows = PackageRowsOf(*device);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].file, L"oem12.inf");
    EXPECT_EQ(rows[0].version, L"26.20.100.7985-当前");
    EXPECT_EQ(rows[0].package, &device->packages[0]);
    EXPECT_EQ(rows[1].file, L"oem8.inf");
    EXPECT_EQ(rows[1].version, L"26.20.100.7158");
    EXPECT_EQ(rows[1].package, &device->packages[2]);
    // "oem" anywhere, lower case only: an upper-case name is not matched.
    EXPECT_EQ(rows[2].file, L"myoem.inf");
}

TEST(SelectionPageContents, ADeviceWithInboxPackagesOnlyHasNoRows) {
    const auto inboxOnly = Device(5, "MS_BTHBRB", "Microsoft Bluetooth", {Package("bth.inf", "10.0.19041.1", 1)});
    EXPECT_TRUE(PackageRowsOf(*inboxOnly).empty());
    const auto none = Device(5, "X", "No packages");
    EXPECT_TRUE(PackageRowsOf(*none).empty());
}

TEST(SelectionPageContents, VersionCellCarriesTheCurrentMarkOnlyForTheInstalledPackage) {
    EXPECT_EQ(VersionCell(Package("oem1.inf", "10.0.1.2", 1)), L"10.0.1.2-当前");
    EXPECT_EQ(VersionCell(Package("oem1.inf", "10.0.1.2", 0)), L"10.0.1.2");
    EXPECT_EQ(VersionCell(Package("oem1.inf", "", 1)), L"-当前");
    EXPECT_TRUE(IsListedPackage(Package("oem1.inf", "1")));
    EXPECT_FALSE(IsListedPackage(Package("Oem1.inf", "1")));
    EXPECT_FALSE(IsListedPackage(Package("", "1")));
}

TEST(SelectionPageContents, TheQuestionNamesThePackageAndItsDeviceOnASecondLine) {
    DeviceRecord device;
    device.description = "\xd3\xa2\xcc\xd8\xb6\xfb(R) \xcf\xd4\xbf\xa8"; // 英特尔(R) 显卡 in code page 936
    DriverPackageRecord package;
    package.infName = "oem12.inf";
    EXPECT_EQ(UninstallQuestion(package, device), L"是否要卸载该驱动？\noem12.inf（英特尔(R) 显卡）");
}
