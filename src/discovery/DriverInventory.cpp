// Category maps and the inventory's own bookkeeping.
#include "discovery/DriverInventory.h"

const wchar_t* CategoryDisplayName(int category) {
    static const wchar_t* const kNames[kCategoryCount] = {
        L"显卡", L"声卡", L"网卡", L"摄像头", L"蓝牙", L"读卡器", L"触控板", L"指纹", L"智音设备",
    };
    if (category < kFirstCategory || category > kLastCategory)
        return L"";
    return kNames[category - kFirstCategory];
}

bool CategoryMap::Insert(std::unique_ptr<DeviceRecord> record) {
    if (!record)
        return false;
    const std::string key = record->deviceKey;
    return records_.try_emplace(key, std::move(record)).second;
}

DeviceRecord* CategoryMap::Find(std::string_view deviceKey) const {
    const auto found = records_.find(std::string(deviceKey));
    return found == records_.end() ? nullptr : found->second.get();
}

bool DriverInventory::SetNotifyWindow(NotifyWindowHandle window) {
    if (window == nullptr)
        return false;
    notifyWindow_ = window;
    return true;
}

bool DriverInventory::AnyDevice() const {
    for (const CategoryMap& map : categories_) {
        if (!map.Empty())
            return true;
    }
    return false;
}
