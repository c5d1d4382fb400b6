// JSON of the command line's backup, restore and clean-up results (docs/cli-output.schema.json describes them).
#pragma once

#include "backup/BackupCatalog.h"
#include "backup/PackageBackup.h"
#include "backup/PackageRestore.h"
#include "uninstall/OldPackageCleanup.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

nlohmann::json BackupOutcomeToJson(const BackupOutcome& outcome);

// {"folder":…,"time":…,"deviceKey":…,"inf":…,"version":…,"size":…,"inStore":…}
nlohmann::json BackupEntryToJson(const BackupEntry& entry, bool inStore);

nlohmann::json RestoreResultToJson(const std::wstring& folder, const RestoreResult& result);

// {"deviceKey":…,"steps":[{"infName":…,"result":"deleted"|"refused"|…,…}],"freed":N}
nlohmann::json CleanupToJson(const DeviceRecord& device, const std::vector<CleanupStep>& steps);

const char* CleanupResultName(CleanupStep::Result result);
