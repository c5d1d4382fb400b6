// The backups in a backup folder: listing them, choosing the one to restore, and removing old ones.
#pragma once

#include "backup/BackupFiles.h"
#include "backup/BackupManifest.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct BackupEntry {
    std::wstring folder; // full path
    BackupManifest manifest;
    uint64_t size = 0;     // the saved package's files, as the manifest lists them (the tool and script not counted)
    std::wstring distrust; // why the folder is not trusted (others may have written it); empty when trusted
};

// A backup folder carries one of these endings while it is made or removed; such a folder is never listed.
constexpr std::wstring_view kPartialSuffix = L".partial";
constexpr std::wstring_view kRemovingSuffix = L".removing";

// Finished backups with a readable manifest, oldest first by the time they were made (their UTC offset
// counted), then by folder name. Folders being made or removed are not listed.
[[nodiscard]] std::vector<BackupEntry> ListBackups(IBackupFiles& files, const std::wstring& root);

// Why a backup folder or the backup location holding it is not trusted: others than Administrators and SYSTEM
// may write it, or neither owns it. Empty when both are trusted.
[[nodiscard]] std::wstring BackupDistrust(IBackupFiles& files, const std::wstring& folder);

// The published INFs of the store, by SHA-256: hashed once for many lookups.
[[nodiscard]] std::map<std::string, std::wstring> PublishedInfHashes(IBackupFiles& files);

// The published name under which the backed-up package is in the store now, or empty when it is not.
[[nodiscard]] std::wstring FindInStore(const std::map<std::string, std::wstring>& published,
                                       const BackupManifest& manifest);

// The backup `restore latest` takes: the newest trusted, complete backup whose package is not in the store
// now (the last package really deleted). Nothing when there is none.
[[nodiscard]] std::optional<BackupEntry> LatestRestorable(IBackupFiles& files, const std::wstring& root);

// Moves the backup aside (so that it is never listed half removed), then removes it without entering links.
// False with a reason when it could not; what is left then lies aside under a ".removing" name.
[[nodiscard]] bool RemoveBackup(IBackupFiles& files, const std::wstring& folder, std::wstring& error);

struct PruneResult {
    std::vector<std::wstring> removed;
    std::wstring error;     // the backup that could not be removed, and why; the prune stopped there
    bool overLimit = false; // what had to be kept is still above the limits
    size_t keptCount = 0;
    uint64_t keptSize = 0;
};

// Removes backups until at most `keep` remain and together they hold at most `maxSize` bytes: first those
// whose package is back in the store, then the others, each oldest first. Only trusted backups count and are
// removed. The `spared` folders (the backups of the running deletions) are never removed, also when the
// limits cannot be met without them. A backup that cannot be removed stops the prune.
PruneResult PruneBackups(IBackupFiles& files, const std::wstring& root, std::optional<size_t> keep,
                         std::optional<uint64_t> maxSize, const std::vector<std::wstring>& spared = {});

// Limits a user may give the prune: at least one backup, at least 1 MiB, at most 1 PiB.
constexpr size_t kMaxKeepCount = 1000000;
constexpr uint64_t kMinBackupLimit = 1ull << 20;
constexpr uint64_t kMaxBackupLimit = 1ull << 50;

// "3", within 1..kMaxKeepCount; nothing otherwise.
[[nodiscard]] std::optional<size_t> ParseKeepCount(std::wstring_view text);
// "500M", "2G", "1048576", "700KB": within the size limits above; nothing otherwise.
[[nodiscard]] std::optional<uint64_t> ParseBackupLimit(std::wstring_view text);
