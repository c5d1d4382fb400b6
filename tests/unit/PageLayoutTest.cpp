// The two pages of the main window without any window: where they and their controls stand at every scale
// factor, and what the selection page shows of an inventory.
#include "ui/layout/PageLayout.h"
#include "ui/layout/PageContents.h"
#include "ui/layout/ScaleRule.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <ostream>

static std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

Rect PageClient(float s) {
    const Rect page = PageRect(s);
    return Rect::FromSize(0, 0, page.Width(), page.Height());
}

const int kDpis[] = {96, 100, 110, 120, 125, 144, 150, 168, 192, 200};

} // namespace

TEST(PageGeometry, PagesStandAt38And42OfTheMainWindowWithTheDesignSizeScaled) {
    EXPECT_EQ(PageRect(1.0f), Rect(38, 42, 762, 360));
    EXPECT_EQ(PageRect(1.25f), Rect::FromSize(47, 52, 905, 397));
    EXPECT_EQ(PageRect(2.0f), Rect::FromSize(76, 84, 1448, 636));
    EXPECT_EQ(PageRect(ScaleFromDpi(120)), Rect::FromSize(45, 50, 868, 381));
}

TEST(PageGeometry, StartButtonAtDesignSizeCoversItsPlaceInThePicture) {
    const StartPageLayout layout = LayOutStartPage(PageClient(1.0f), 1.0f);
    EXPECT_EQ(layout.button, Rect(233, 218, 492, 303));
    EXPECT_EQ(layout.backSource, Rect(233, 218, 492, 303));
    EXPECT_EQ(layout.hotMargins.left, 19);
    EXPECT_EQ(layout.hotMargins.top, 19);
    EXPECT_EQ(layout.hotMargins.right, 19);
    EXPECT_EQ(layout.hotMargins.bottom, 19);
}

TEST(PageGeometry, StartButtonScalesWithThePage) {
    // 125 %: the page is 905 x 397 and the button 323 x 106 at (290, 272).
    const StartPageLayout at125 = LayOutStartPage(PageClient(1.25f), 1.25f);
    EXPECT_EQ(at125.button, Rect::FromSize(290, 272, 323, 106));
    EXPECT_EQ(at125.backSource, Rect(233, 218, 492, 303)) << "the picture is stretched, its part stays";
    EXPECT_EQ(at125.hotMargins.left, 23);
    const StartPageLayout at200 = LayOutStartPage(PageClient(2.0f), 2.0f);
    EXPECT_EQ(at200.button, Rect::FromSize(465, 436, 518, 170));
    EXPECT_EQ(at200.hotMargins.bottom, 38);
}

TEST(PageGeometry, StartButtonOfASmallerPageIsCentredAbove100PixelsUnscaled) {
    const StartPageLayout layout = LayOutStartPage(Rect::FromSize(0, 0, 600, 300), 1.0f);
    EXPECT_EQ(layout.button, Rect::FromSize(171, 200, 259, 85));
    EXPECT_EQ(layout.backSource, layout.button);
    EXPECT_EQ(layout.hotMargins.right, 19);
}

TEST(PageGeometry, StartButtonStaysCentredNearTheBottomAtEveryScale) {
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const float s = ScaleFromDpi(dpi);
        const Rect client = PageClient(s);
        const Rect button = LayOutStartPage(client, s).button;
        EXPECT_LE(std::abs((button.left + button.right) - client.Width()), 2);
        EXPECT_GE(button.top, 0);
        EXPECT_LE(button.bottom, client.bottom - Trunc(14 * s));
        EXPECT_GE(button.bottom, client.bottom - Trunc(16 * s) - 1);
        EXPECT_EQ(button.Width(), Trunc(259 * s));
    }
}

TEST(SelectionPageGeometry, AtDesignSizeTreeListAndButtonShareThePage) {
    const FunctionPageLayout layout = LayOutFunctionPage(PageClient(1.0f), 1.0f);
    EXPECT_EQ(layout.tree, Rect(10, 10, 352, 268));
    EXPECT_EQ(layout.list, Rect(372, 10, 714, 268));
    EXPECT_EQ(layout.button, Rect(596, 278, 714, 314));
    EXPECT_EQ(layout.backSource, Rect(596, 278, 714, 314));
}

TEST(SelectionPageGeometry, ScaledPages) {
    const FunctionPageLayout at125 = LayOutFunctionPage(PageClient(1.25f), 1.25f);
    EXPECT_EQ(at125.tree, Rect(12, 12, 439, 335));
    EXPECT_EQ(at125.list, Rect(464, 12, 892, 335));
    EXPECT_EQ(at125.button, Rect::FromSize(745, 347, 147, 45));
    EXPECT_EQ(at125.backSource, Rect(596, 278, 714, 314));
    const FunctionPageLayout at200 = LayOutFunctionPage(PageClient(2.0f), 2.0f);
    EXPECT_EQ(at200.tree, Rect(20, 20, 704, 536));
    EXPECT_EQ(at200.list, Rect(744, 20, 1428, 536));
    EXPECT_EQ(at200.button, Rect::FromSize(1192, 556, 236, 72));
}

TEST(SelectionPageGeometry, ASmallerPageKeepsTheButtonUnscaledInItsBottomRightCorner) {
    const FunctionPageLayout layout = LayOutFunctionPage(Rect::FromSize(0, 0, 700, 300), 1.0f);
    EXPECT_EQ(layout.button, Rect::FromSize(572, 260, 118, 36));
    EXPECT_EQ(layout.backSource, layout.button);
    EXPECT_EQ(layout.tree, Rect(10, 10, 340, 250));
    EXPECT_EQ(layout.list, Rect(360, 10, 690, 250));
}

TEST(SelectionPageGeometry, NothingOverlapsAtAnyScale) {
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const float s = ScaleFromDpi(dpi);
        const Rect client = PageClient(s);
        const FunctionPageLayout layout = LayOutFunctionPage(client, s);
        EXPECT_LT(layout.tree.right, layout.list.left);
        EXPECT_EQ(layout.tree.top, layout.list.top);
        EXPECT_EQ(layout.tree.bottom, layout.list.bottom);
        EXPECT_LE(std::abs(layout.tree.Width() - layout.list.Width()), 2) << "two halves";
        EXPECT_LT(layout.list.bottom, layout.button.top);
        EXPECT_LE(layout.button.right, client.right);
        EXPECT_LE(layout.button.bottom, client.bottom);
        EXPECT_LE(std::abs(layout.button.right - layout.list.right), 1) << "the button ends under the list";
    }
}

TEST(SelectionPageGeometry, ColumnsShareTheListAfterAMarginOneThirdToTwoThirds) {
    const PackageColumnWidths at1 = PackageColumns(340, 1.0f);
    EXPECT_EQ(at1.file, 106);
    EXPECT_EQ(at1.version, 212);
    const PackageColumnWidths at2 = PackageColumns(680, 2.0f);
    EXPECT_EQ(at2.file, 213);
    EXPECT_EQ(at2.version, 426);
    // A list narrower than the margin gets empty columns, never the list control's "fit" values -1 and -2.
    for (int width : {0, 5, 19, 20, 21}) {
        SCOPED_TRACE(width);
        const PackageColumnWidths narrow = PackageColumns(width, 1.0f);
        EXPECT_EQ(narrow.file, 0);
        EXPECT_EQ(narrow.version, 0);
    }
    EXPECT_EQ(PackageColumns(23, 1.0f).file, 1);
}

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
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].file, L"oem12.inf");
    EXPECT_EQ(rows[0].version, L"26.20.100.7985-当前");
    EXPECT_EQ(rows[0].package, &device->packages[0]);
    EXPECT_EQ(rows[1].file, L"oem8.inf");
    EXPECT_EQ(rows[1].version, L"26.20.100.7158");
    EXPECT_EQ(rows[1].package, &device->packages[2]);
    // "oem" anywhere, in any case: the rule the command line applies too.
    EXPECT_EQ(rows[2].file, L"OEM3.INF");
    EXPECT_EQ(rows[3].file, L"myoem.inf");
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
    EXPECT_TRUE(IsListedPackage(Package("Oem1.inf", "1")));
    EXPECT_FALSE(IsListedPackage(Package("display.inf", "1")));
    EXPECT_FALSE(IsListedPackage(Package("", "1")));
}

TEST(SelectionPageContents, TheQuestionNamesThePackageAndItsDeviceOnASecondLine) {
    DeviceRecord device;
    device.description = "\xd3\xa2\xcc\xd8\xb6\xfb(R) \xcf\xd4\xbf\xa8"; // 英特尔(R) 显卡 in code page 936
    DriverPackageRecord package;
    package.infName = "oem12.inf";
    EXPECT_EQ(UninstallQuestion(package, device), L"是否要卸载该驱动？\noem12.inf（英特尔(R) 显卡）");
}
