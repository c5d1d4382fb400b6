// JSON of the command line's backup, restore and clean-up results (UTF-8), and the schema version that every
// --json output carries (docs/cli-output.schema.json describes them).
#pragma once

#include "backup/BackupCatalog.h"
#include "backup/PackageBackup.h"
#include "backup/PackageRestore.h"
#include "uninstall/OldPackageCleanup.h"

#include <string>
#include <string_view>
#include <vector>

constexpr int kCliJsonSchema = 1;

// {"schema":1,"command":"<command>", …the members of `object`…}
std::string WithSchema(std::string_view command, const std::string& object);

std::string BackupOutcomeToJson(const BackupOutcome& outcome);

// {"folder":…,"time":…,"deviceKey":…,"inf":…,"version":…,"size":…,"inStore":…}
std::string BackupEntryToJson(const BackupEntry& entry, bool inStore);

std::string RestoreResultToJson(const std::wstring& folder, const RestoreResult& result);

// {"deviceKey":…,"steps":[{"infName":…,"result":"deleted"|"refused"|…,…}],"freed":N}
std::string CleanupToJson(const DeviceRecord& device, const std::vector<CleanupStep>& steps);

const char* CleanupResultName(CleanupStep::Result result);
