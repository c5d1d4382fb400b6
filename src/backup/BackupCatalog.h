// The backups in a backup folder: listing them, and removing the oldest.
#pragma once

#include "backup/BackupFiles.h"
#include "backup/BackupManifest.h"

#include <optional>
#include <string>
#include <vector>

struct BackupEntry {
    std::wstring folder; // full path
    BackupManifest manifest;
    uint64_t size = 0; // everything in the folder
};

// Finished backups with a readable manifest, oldest first. Unfinished ones (".partial") are not listed.
std::vector<BackupEntry> ListBackups(IBackupFiles& files, const std::wstring& root);

// Removes the oldest backups until at most `keep` remain and together they hold at most `maxSize` bytes;
// `spared` (a folder) is never removed. Returns the removed folders.
std::vector<std::wstring> PruneBackups(IBackupFiles& files, const std::wstring& root, std::optional<size_t> keep,
                                       std::optional<uint64_t> maxSize, const std::wstring& spared = {});
