// Backups are ordered by the time in their manifest, then by folder name.
#include "backup/BackupCatalog.h"

#include "text/CodePage.h"

#include <algorithm>

std::vector<BackupEntry> ListBackups(IBackupFiles& files, const std::wstring& root) {
    std::vector<BackupEntry> entries;
    for (const std::wstring& name : files.Folders(root)) {
        const std::wstring folder = root + L"\\" + name;
        const auto text = files.ReadFile(folder + L"\\" + FromUtf8(kManifestName));
        if (!text)
            continue;
        auto manifest = ParseManifest(*text);
        if (!manifest)
            continue;
        BackupEntry entry{folder, std::move(*manifest), 0};
        for (const FileEntry& file : files.Files(folder))
            entry.size += file.size;
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return a.manifest.time != b.manifest.time ? a.manifest.time < b.manifest.time : a.folder < b.folder;
    });
    return entries;
}

std::vector<std::wstring> PruneBackups(IBackupFiles& files, const std::wstring& root, std::optional<size_t> keep,
                                       std::optional<uint64_t> maxSize, const std::wstring& spared) {
    std::vector<BackupEntry> entries = ListBackups(files, root);
    uint64_t total = 0;
    for (const BackupEntry& entry : entries)
        total += entry.size;
    size_t count = entries.size();
    std::vector<std::wstring> removed;
    for (const BackupEntry& entry : entries) {
        const bool tooMany = keep && count > *keep;
        const bool tooBig = maxSize && total > *maxSize;
        if (!tooMany && !tooBig)
            break;
        if (entry.folder == spared || !files.RemoveTree(entry.folder))
            continue;
        removed.push_back(entry.folder);
        total -= entry.size;
        --count;
    }
    return removed;
}
