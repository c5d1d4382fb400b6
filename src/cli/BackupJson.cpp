// JSON rendering for backups, restores and clean-ups.
#include "cli/BackupJson.h"

#include "cli/InventoryJson.h"
#include "text/CodePage.h"

nlohmann::json BackupOutcomeToJson(const BackupOutcome& outcome) {
    return {{"made", outcome.made},
            {"folder", ToUtf8(outcome.folder)},
            {"reason", ToUtf8(outcome.reason)},
            {"notice", ToUtf8(outcome.notice)},
            {"size", outcome.size}};
}

nlohmann::json BackupEntryToJson(const BackupEntry& entry, bool inStore) {
    const BackupManifest& m = entry.manifest;
    return {{"folder", ToUtf8(entry.folder)},
            {"time", m.time},
            {"deviceKey", m.deviceKey},
            {"description", m.description},
            {"inf", m.inf},
            {"provider", m.provider},
            {"version", m.version},
            {"date", m.date},
            {"wasCurrent", m.wasCurrent},
            {"size", entry.size},
            {"inStore", inStore},
            {"trusted", entry.distrust.empty()},
            {"distrust", ToUtf8(entry.distrust)}};
}

nlohmann::json RestoreResultToJson(const std::wstring& folder, const RestoreResult& result) {
    nlohmann::json packages = nlohmann::json::array();
    for (const DriverPackageRecord& p : result.packages)
        packages.push_back({{"infName", GbkToUtf8(p.infName)}, {"isCurrent", p.isCurrent}});
    return {{"success", result.success},
            {"warning", ToUtf8(result.warning)},
            {"backup", ToUtf8(folder)},
            {"publishedName", result.publishedName},
            {"alreadyInStore", result.alreadyInStore},
            {"current", result.current},
            {"packages", packages}};
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

nlohmann::json CleanupToJson(const DeviceRecord& device, const std::vector<CleanupStep>& steps) {
    nlohmann::json list = nlohmann::json::array();
    uint64_t freed = 0;
    for (const CleanupStep& step : steps) {
        freed += step.freed;
        list.push_back({{"infName", GbkToUtf8(step.package.infName)},
                        {"version", GbkToUtf8(step.package.version)},
                        {"date", GbkToUtf8(step.package.date)},
                        {"result", CleanupResultName(step.result)},
                        {"message", ToUtf8(step.message)},
                        {"backup", ToUtf8(step.backupFolder)},
                        {"freed", step.freed}});
    }
    return {{"deviceKey", GbkToUtf8(device.deviceKey)}, {"steps", list}, {"freed", freed}};
}
