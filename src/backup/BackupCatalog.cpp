// Backups are ordered by the instant in their manifest, so a change of time zone or of the clock's
// daylight saving never makes an older backup the latest; folder names only break ties.
#include "backup/BackupCatalog.h"

#include "backup/PackageRestore.h"
#include "text/CodePage.h"
#include "text/TextCase.h"

#include <algorithm>
#include <set>

namespace {

bool Older(const BackupEntry& a, const BackupEntry& b) {
    const int64_t first = BackupInstant(a.manifest.time).value_or(0);
    const int64_t second = BackupInstant(b.manifest.time).value_or(0);
    return first != second ? first < second : a.folder < b.folder;
}

// Digits and an optional unit; nothing on anything else or on overflow.
std::optional<uint64_t> Amount(std::wstring_view text, bool unitAllowed) {
    size_t digits = 0;
    uint64_t value = 0;
    while (digits < text.size() && text[digits] >= L'0' && text[digits] <= L'9') {
        if (digits == 18)
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(text[digits++] - L'0');
    }
    if (digits == 0)
        return std::nullopt;
    const std::wstring unit = ToUpperAscii(text.substr(digits));
    if (unit.empty())
        return value;
    if (!unitAllowed)
        return std::nullopt;
    int shift = -1;
    if (unit == L"B")
        shift = 0;
    else if (unit == L"K" || unit == L"KB")
        shift = 10;
    else if (unit == L"M" || unit == L"MB")
        shift = 20;
    else if (unit == L"G" || unit == L"GB")
        shift = 30;
    else if (unit == L"T" || unit == L"TB")
        shift = 40;
    if (shift < 0 || value > (UINT64_MAX >> shift))
        return std::nullopt;
    return value << shift;
}

} // namespace

std::vector<BackupEntry> ListBackups(IBackupFiles& files, const std::wstring& root) {
    std::vector<BackupEntry> entries;
    for (const std::wstring& name : files.Folders(root)) {
        if (EndsWithIgnoringCase(name, kPartialSuffix) || EndsWithIgnoringCase(name, kRemovingSuffix))
            continue;
        const std::wstring folder = root + L"\\" + name;
        const auto text = files.ReadFile(folder + L"\\" + FromUtf8(kManifestName));
        if (!text)
            continue;
        auto manifest = ParseManifest(*text);
        if (!manifest)
            continue;
        BackupEntry entry{folder, std::move(*manifest), 0, {}};
        entry.size = entry.manifest.TotalSize();
        entry.distrust = BackupDistrust(files, folder);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), Older);
    return entries;
}

std::wstring BackupDistrust(IBackupFiles& files, const std::wstring& folder) {
    const size_t slash = folder.find_last_of(L'\\');
    const std::wstring root = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
    if (const auto reason = root.empty() ? std::nullopt : files.Distrust(root))
        return L"备份位置 " + root + L" 不可信：" + *reason;
    if (const auto reason = files.Distrust(folder))
        return L"备份文件夹不可信：" + *reason;
    return {};
}

std::map<std::string, std::wstring> PublishedInfHashes(IBackupFiles& files) {
    std::map<std::string, std::wstring> hashes;
    const std::wstring folder = files.WindowsFolder() + L"\\INF";
    for (const FileEntry& file : files.Files(folder)) {
        // Windows publishes a third-party INF as "oem<number>.inf".
        const std::wstring& name = file.path;
        if (name.find(L'\\') != std::wstring::npos || !StartsWithIgnoringCase(name, L"oem") ||
            !EndsWithIgnoringCase(name, L".inf"))
            continue;
        if (const auto hash = files.HashFile(folder + L"\\" + file.path))
            hashes.emplace(*hash, file.path);
    }
    return hashes;
}

std::wstring FindInStore(const std::map<std::string, std::wstring>& published, const BackupManifest& manifest) {
    const BackupFileRecord* inf = manifest.StoreInfRecord();
    if (inf == nullptr)
        return {};
    const auto found = published.find(inf->sha256);
    return found == published.end() ? std::wstring() : found->second;
}

std::optional<BackupEntry> LatestRestorable(IBackupFiles& files, const std::wstring& root) {
    std::vector<BackupEntry> entries = ListBackups(files, root);
    const auto published = PublishedInfHashes(files);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        if (entry->distrust.empty() && FindInStore(published, entry->manifest).empty() &&
            !CheckBackup(files, entry->folder, entry->manifest))
            return std::move(*entry);
    return std::nullopt;
}

bool RemoveBackup(IBackupFiles& files, const std::wstring& folder, std::wstring& error) {
    std::wstring aside;
    for (int attempt = 1; attempt <= 100 && aside.empty(); ++attempt) {
        const std::wstring candidate =
            folder + (attempt > 1 ? L" (" + std::to_wstring(attempt) + L")" : L"") + std::wstring(kRemovingSuffix);
        if (!files.Exists(candidate) && files.Rename(folder, candidate))
            aside = candidate;
        else if (!files.Exists(candidate))
            break;
    }
    if (aside.empty()) {
        error = L"无法移走备份 " + folder + L"（文件正被使用、无权限，或它是一个链接）";
        return false;
    }
    if (!files.RemoveTree(aside)) {
        error = L"无法删除备份 " + folder + L" 中的全部文件，剩余部分已移到 " + aside + L"，请手动删除";
        return false;
    }
    return true;
}

PruneResult PruneBackups(IBackupFiles& files, const std::wstring& root, std::optional<size_t> keep,
                         std::optional<uint64_t> maxSize, const std::vector<std::wstring>& spared) {
    PruneResult result;
    // A backup that is not trusted is not ours to count or remove: it may be a link planted to lead elsewhere.
    std::vector<BackupEntry> entries = ListBackups(files, root);
    std::erase_if(entries, [](const BackupEntry& entry) { return !entry.distrust.empty(); });
    for (const BackupEntry& entry : entries)
        result.keptSize += entry.size;
    result.keptCount = entries.size();
    const auto overLimits = [&] {
        return (keep && result.keptCount > *keep) || (maxSize && result.keptSize > *maxSize);
    };
    if (!overLimits())
        return result;

    // A backup whose package is back in the store is no longer anyone's way back: those go first.
    const auto published = PublishedInfHashes(files);
    std::stable_partition(entries.begin(), entries.end(),
                          [&](const BackupEntry& entry) { return !FindInStore(published, entry.manifest).empty(); });
    const std::set<std::wstring> sparedFolders(spared.begin(), spared.end());
    for (const BackupEntry& entry : entries) {
        if (!overLimits())
            break;
        if (sparedFolders.count(entry.folder))
            continue;
        if (!RemoveBackup(files, entry.folder, result.error))
            return result;
        result.removed.push_back(entry.folder);
        result.keptSize -= entry.size;
        --result.keptCount;
    }
    result.overLimit = overLimits();
    return result;
}

std::optional<size_t> ParseKeepCount(std::wstring_view text) {
    const auto count = Amount(text, false);
    if (!count || *count < 1 || *count > kMaxKeepCount)
        return std::nullopt;
    return static_cast<size_t>(*count);
}

std::optional<uint64_t> ParseBackupLimit(std::wstring_view text) {
    const auto size = Amount(text, true);
    if (!size || *size < kMinBackupLimit || *size > kMaxBackupLimit)
        return std::nullopt;
    return size;
}
