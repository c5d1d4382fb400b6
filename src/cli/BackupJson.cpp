// JSON rendering for backups, restores and clean-ups.
#include "cli/BackupJson.h"

#include "cli/InventoryJson.h"
#include "text/CodePage.h"

namespace {

std::string Text(const std::wstring& text) {
    return JsonString(ToUtf8(text));
}
std::string Bool(bool value) {
    return value ? "true" : "false";
}

} // namespace

std::string WithSchema(std::string_view command, const std::string& object) {
    const std::string head = "{\"schema\":" + std::to_string(kCliJsonSchema) + ",\"command\":" + JsonString(command);
    return object.size() > 2 ? head + "," + object.substr(1) : head + "}";
}

std::string BackupOutcomeToJson(const BackupOutcome& outcome) {
    return "{\"made\":" + Bool(outcome.made) + ",\"folder\":" + Text(outcome.folder) +
           ",\"reason\":" + Text(outcome.reason) + ",\"notice\":" + Text(outcome.notice) +
           ",\"size\":" + std::to_string(outcome.size) + "}";
}

std::string BackupEntryToJson(const BackupEntry& entry, bool inStore) {
    const BackupManifest& m = entry.manifest;
    return "{\"folder\":" + Text(entry.folder) + ",\"time\":" + JsonString(m.time) +
           ",\"deviceKey\":" + JsonString(m.deviceKey) + ",\"description\":" + JsonString(m.description) +
           ",\"inf\":" + JsonString(m.inf) + ",\"provider\":" + JsonString(m.provider) +
           ",\"version\":" + JsonString(m.version) + ",\"date\":" + JsonString(m.date) +
           ",\"wasCurrent\":" + Bool(m.wasCurrent) + ",\"size\":" + std::to_string(entry.size) +
           ",\"inStore\":" + Bool(inStore) + ",\"trusted\":" + Bool(entry.distrust.empty()) +
           ",\"distrust\":" + Text(entry.distrust) + "}";
}

std::string RestoreResultToJson(const std::wstring& folder, const RestoreResult& result) {
    std::string packages = "[";
    for (size_t i = 0; i < result.packages.size(); ++i) {
        const DriverPackageRecord& p = result.packages[i];
        packages += (i ? "," : "") + std::string("{\"infName\":") + JsonString(ToUtf8(WidenGbk(p.infName))) +
                    ",\"isCurrent\":" + Bool(p.isCurrent != 0) + "}";
    }
    return "{\"success\":" + Bool(result.success) + ",\"message\":" + Text(result.message) +
           ",\"warning\":" + Text(result.warning) + ",\"changed\":" + Bool(result.changed) +
           ",\"backup\":" + Text(folder) + ",\"publishedName\":" + JsonString(result.publishedName) +
           ",\"alreadyInStore\":" + Bool(result.alreadyInStore) + ",\"current\":" + Bool(result.current) +
           ",\"packages\":" + packages + "]}";
}

const char* CleanupResultName(CleanupStep::Result result) {
    switch (result) {
    case CleanupStep::Result::Planned:
        return "planned";
    case CleanupStep::Result::Deleted:
        return "deleted";
    case CleanupStep::Result::Refused:
        return "refused";
    case CleanupStep::Result::NotBackedUp:
        return "not-backed-up";
    default:
        return "failed";
    }
}

std::string CleanupToJson(const DeviceRecord& device, const std::vector<CleanupStep>& steps) {
    std::string json = "{\"deviceKey\":" + JsonString(ToUtf8(WidenGbk(device.deviceKey))) + ",\"steps\":[";
    uint64_t freed = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        const CleanupStep& step = steps[i];
        freed += step.freed;
        json += (i ? "," : "") + std::string("{\"infName\":") + JsonString(ToUtf8(WidenGbk(step.package.infName))) +
                ",\"version\":" + JsonString(ToUtf8(WidenGbk(step.package.version))) +
                ",\"date\":" + JsonString(ToUtf8(WidenGbk(step.package.date))) +
                ",\"result\":" + JsonString(CleanupResultName(step.result)) + ",\"message\":" + Text(step.message) +
                ",\"backup\":" + Text(step.backupFolder) + ",\"freed\":" + std::to_string(step.freed) + "}";
    }
    return json + "],\"freed\":" + std::to_string(freed) + "}";
}
