// The inventory as JSON (UTF-8) for the command-line front end.
#pragma once

#include "discovery/DriverInventory.h"

#include <string>
#include <string_view>

// {"categories":[{"number":1,"name":"显卡","devices":[…]}, …]} with categories 1-9 in order.
std::string InventoryToJson(const DriverInventory& inventory);

// {"deviceKey":…,"description":…,"searchPattern":…,"packages":[{"infName":…,…,"isCurrent":true}]}
std::string DeviceToJson(const DeviceRecord& device);

// A JSON string literal of a UTF-8 text.
std::string JsonString(std::string_view utf8);
