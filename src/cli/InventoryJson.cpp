// JSON rendering of the inventory. Device texts are code page 936 bytes; JSON is UTF-8.
#include "cli/InventoryJson.h"

#include "text/CodePage.h"

std::string GbkToUtf8(const std::string& gbk) {
    return ToUtf8(WidenGbk(gbk));
}

nlohmann::json DeviceToJson(const DeviceRecord& device) {
    nlohmann::json packages = nlohmann::json::array();
    for (const DriverPackageRecord& package : device.packages)
        packages.push_back({{"infName", GbkToUtf8(package.infName)},
                            {"provider", GbkToUtf8(package.provider)},
                            {"date", GbkToUtf8(package.date)},
                            {"version", GbkToUtf8(package.version)},
                            {"isCurrent", package.isCurrent}});
    return {{"deviceKey", GbkToUtf8(device.deviceKey)},
            {"description", GbkToUtf8(device.description)},
            {"searchPattern", GbkToUtf8(device.searchPattern)},
            {"packages", packages}};
}

nlohmann::json InventoryToJson(const DriverInventory& inventory) {
    nlohmann::json categories = nlohmann::json::array();
    for (int category = kFirstCategory; category <= kLastCategory; ++category) {
        nlohmann::json devices = nlohmann::json::array();
        for (const auto& [key, device] : inventory.Category(category))
            devices.push_back(DeviceToJson(*device));
        categories.push_back(
            {{"number", category}, {"name", ToUtf8(CategoryDisplayName(category))}, {"devices", devices}});
    }
    return {{"categories", categories}};
}
