// The inventory as JSON for the command-line front end.
#pragma once

#include "discovery/DriverInventory.h"

#include <nlohmann/json.hpp>

// {"categories":[{"number":1,"name":"显卡","devices":[…]}, …]} with categories 1-9 in order.
nlohmann::json InventoryToJson(const DriverInventory& inventory);

// {"deviceKey":…,"description":…,"searchPattern":…,"packages":[{"infName":…,…,"isCurrent":true}]}
nlohmann::json DeviceToJson(const DeviceRecord& device);

// A device text (code page 936 bytes) as the UTF-8 a JSON string holds.
std::string GbkToUtf8(const std::string& gbk);
