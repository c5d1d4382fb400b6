// The selection page's view of the inventory.
#include "ui/layout/PageContents.h"

#include "discovery/PackageQuery.h"
#include "text/CodePage.h"

std::vector<CategoryBranch> CategoryTreeOf(const DriverInventory& inventory) {
    std::vector<CategoryBranch> tree;
    for (int category = kFirstCategory; category <= kLastCategory; ++category) {
        const CategoryMap& map = inventory.Category(category);
        if (map.Empty()) {
            continue;
        }
        CategoryBranch branch{category, CategoryDisplayName(category), {}};
        for (const auto& [key, device] : map) {
            branch.devices.push_back(device.get());
        }
        tree.push_back(std::move(branch));
    }
    return tree;
}

std::wstring DeviceLabel(const DeviceRecord& device) {
    return WidenGbk(device.description);
}

bool IsListedPackage(const DriverPackageRecord& package) {
    return IsThirdPartyInfName(package.infName);
}

std::wstring VersionCell(const DriverPackageRecord& package) {
    std::wstring cell = WidenGbk(package.version);
    if (package.isCurrent != 0) {
        cell += L"-当前";
    }
    return cell;
}

std::vector<PackageRow> PackageRowsOf(const DeviceRecord& device) {
    std::vector<PackageRow> rows;
    for (const DriverPackageRecord& package : device.packages) {
        if (IsListedPackage(package)) {
            rows.push_back({WidenGbk(package.infName), VersionCell(package), &package});
        }
    }
    return rows;
}

std::wstring UninstallQuestion(const DriverPackageRecord& package, const DeviceRecord& device) {
    return L"是否要卸载该驱动？\n" + WidenGbk(package.infName) + L"（" + DeviceLabel(device) + L"）";
}
