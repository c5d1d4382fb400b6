// What the driver selection page shows of the inventory: the category tree (non-empty categories in number
// order, their devices in key order) and the package rows of one device (only packages from "oem" INFs).
#pragma once

#include "discovery/DriverInventory.h"

#include <string>
#include <vector>

struct CategoryBranch {
    int category = 0;
    std::wstring label;
    std::vector<const DeviceRecord*> devices; // owned by the inventory
};

std::vector<CategoryBranch> CategoryTreeOf(const DriverInventory& inventory);
std::wstring DeviceLabel(const DeviceRecord& device);

// Third-party packages only (IsThirdPartyInfName).
bool IsListedPackage(const DriverPackageRecord& package);

struct PackageRow {
    std::wstring file;
    std::wstring version;                         // with "-当前" after the version of the installed package
    const DriverPackageRecord* package = nullptr; // the device's record the row was made from
};
std::vector<PackageRow> PackageRowsOf(const DeviceRecord& device);
std::wstring VersionCell(const DriverPackageRecord& package);

// The question before an uninstall: "是否要卸载该驱动？", and on a second line the package and its device, so
// that the user sees what 是 deletes.
std::wstring UninstallQuestion(const DriverPackageRecord& package, const DeviceRecord& device);
