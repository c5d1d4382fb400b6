// JSON rendering of the inventory. Device texts are code page 936 bytes; JSON is UTF-8.
#include "cli/InventoryJson.h"

#include "text/CodePage.h"

#include <cstdio>

namespace {

std::string Gbk(const std::string& gbk) { return JsonString(ToUtf8(WidenGbk(gbk))); }

} // namespace

std::string JsonString(std::string_view utf8) {
    std::string json = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                json += escaped;
            } else {
                json += c;
            }
        }
    }
    return json + "\"";
}

std::string DeviceToJson(const DeviceRecord& device) {
    std::string json = "{\"deviceKey\":" + Gbk(device.deviceKey) + ",\"description\":" + Gbk(device.description) +
                       ",\"searchPattern\":" + Gbk(device.searchPattern) + ",\"packages\":[";
    for (size_t i = 0; i < device.packages.size(); ++i) {
        const DriverPackageRecord& package = device.packages[i];
        json += (i ? ",{" : "{");
        json += "\"infName\":" + Gbk(package.infName) + ",\"provider\":" + Gbk(package.provider) +
                ",\"date\":" + Gbk(package.date) + ",\"version\":" + Gbk(package.version) +
                ",\"isCurrent\":" + (package.isCurrent ? "true" : "false") + "}";
    }
    return json + "]}";
}

std::string InventoryToJson(const DriverInventory& inventory) {
    std::string json = "{\"categories\":[";
    for (int category = kFirstCategory; category <= kLastCategory; ++category) {
        json += category == kFirstCategory ? "{" : ",{";
        json += "\"number\":" + std::to_string(category) +
                ",\"name\":" + JsonString(ToUtf8(CategoryDisplayName(category))) + ",\"devices\":[";
        bool first = true;
        for (const auto& [key, device] : inventory.Category(category)) {
            json += first ? "" : ",";
            json += DeviceToJson(*device);
            first = false;
        }
        json += "]}";
    }
    return json + "]}";
}
