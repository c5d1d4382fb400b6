// A backup is written into "<name>.partial" and renamed when complete, so a listing never sees half of one,
// and each run creates its own folder (creation fails when it exists), so two tools never mix their files.
#include "backup/PackageBackup.h"

#include "backup/BackupCatalog.h"
#include "text/CodePage.h"
#include "text/TextCase.h"

#include <algorithm>

namespace {

// A device key as part of a folder name.
std::wstring SafeName(std::wstring text) {
    for (wchar_t& c : text)
        if (c < 32 || std::wstring_view(L"\\/:*?\"<>|%").find(c) != std::wstring_view::npos)
            c = L'_';
    return text;
}

// "2026-12-08T05:15:02+08:00" → "20261208-051502": the local time, without its offset.
std::wstring FolderStamp(const std::string& time) {
    std::wstring stamp;
    for (const char c : time.substr(0, 19))
        if (c >= '0' && c <= '9')
            stamp += static_cast<wchar_t>(c);
    if (stamp.size() == 14)
        stamp.insert(8, L"-");
    return stamp;
}

std::string Unescaped(std::string pattern) {
    pattern.erase(std::remove(pattern.begin(), pattern.end(), '^'), pattern.end());
    return pattern;
}

std::wstring PnfOf(const std::wstring& inf) {
    return inf.substr(0, inf.rfind(L'.')) + L".PNF";
}

std::wstring FileName(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

} // namespace

std::wstring LocateStoreFolder(IBackupFiles& files, const std::wstring& publishedInf, std::wstring& storeInf,
                               std::wstring* ambiguity) {
    storeInf.clear();
    const std::wstring located = files.StoreInfOf(publishedInf);
    if (!located.empty() && files.Exists(located)) {
        const size_t slash = located.find_last_of(L'\\');
        storeInf = located.substr(slash + 1);
        return located.substr(0, slash);
    }
    const std::wstring windows = files.WindowsFolder();
    const auto wanted = files.HashFile(windows + L"\\INF\\" + publishedInf);
    if (!wanted)
        return {};
    // Every folder is looked at: two with the very same INF could be two packages, and guessing one of them
    // would save the wrong files.
    const std::wstring repository = windows + L"\\System32\\DriverStore\\FileRepository";
    std::vector<std::pair<std::wstring, std::wstring>> matches; // folder, INF
    for (const std::wstring& folder : files.Folders(repository)) {
        for (const FileEntry& file : files.Files(repository + L"\\" + folder)) {
            if (file.path.find(L'\\') != std::wstring::npos || !EndsWithIgnoringCase(file.path, L".inf"))
                continue;
            if (files.HashFile(repository + L"\\" + folder + L"\\" + file.path) == wanted)
                matches.emplace_back(repository + L"\\" + folder, file.path);
        }
    }
    if (matches.size() > 1) {
        if (ambiguity != nullptr)
            *ambiguity = L"驱动库中有 " + std::to_wstring(matches.size()) + L" 个文件夹的 INF 与 " + publishedInf +
                         L" 完全相同（" + FileName(matches[0].first) + L"、" + FileName(matches[1].first) +
                         L"），无法确定是哪一个";
        return {};
    }
    if (matches.empty())
        return {};
    storeInf = matches[0].second;
    return matches[0].first;
}

uint64_t PackageStoreSize(IBackupFiles& files, const std::wstring& publishedInf) {
    std::wstring storeInf;
    const std::wstring storeFolder = LocateStoreFolder(files, publishedInf, storeInf);
    if (storeFolder.empty())
        return 0;
    uint64_t size = 0;
    for (const FileEntry& file : files.Files(storeFolder))
        size += file.size;
    const std::wstring infFolder = files.WindowsFolder() + L"\\INF\\";
    return size + files.FileSize(infFolder + publishedInf).value_or(0) +
           files.FileSize(infFolder + PnfOf(publishedInf)).value_or(0);
}

BackupOutcome PackageBackup::Backup(const BackupRequest& request) {
    BackupOutcome outcome = Make(request);
    const std::wstring inf = WidenGbk(request.package.infName);
    if (outcome.made) {
        log_(L"驱动包 " + inf + L" 已备份到 " + outcome.folder + L"（" + SizeText(outcome.size) + L"）");
        madeThisRun_.push_back(outcome.folder);
        // This run's backups are the way back from its deletions: the limit never takes them.
        const PruneResult pruned =
            PruneBackups(files_, settings_.root, std::nullopt, settings_.maxTotalSize, madeThisRun_);
        for (const std::wstring& removed : pruned.removed)
            log_(L"备份总量超过上限，删除备份 " + removed);
        if (!pruned.error.empty())
            outcome.notice = pruned.error;
        else if (pruned.overLimit)
            outcome.notice = L"备份总量 " + SizeText(pruned.keptSize) + L" 超过上限 " +
                             SizeText(settings_.maxTotalSize) + L"，但本次删除的驱动包的备份必须保留";
        if (!outcome.notice.empty())
            log_(outcome.notice);
    } else {
        log_(L"驱动包 " + inf + L" 没有备份：" + outcome.reason);
    }
    return outcome;
}

void PackageBackup::Discard(BackupOutcome& outcome) {
    if (!outcome.made)
        return;
    std::wstring error;
    if (!RemoveBackup(files_, outcome.folder, error)) {
        log_(L"驱动包未删除，但备份没能撤回：" + error);
        return;
    }
    log_(L"驱动包未删除，撤回备份 " + outcome.folder);
    std::erase(madeThisRun_, outcome.folder);
    outcome = {};
    outcome.reason = L"驱动包没有删除，备份已撤回";
}

BackupOutcome PackageBackup::Make(const BackupRequest& request) {
    BackupOutcome outcome;
    const std::wstring inf = WidenGbk(request.package.infName);
    if (inf.empty() || inf.find_first_of(L"\\/") != std::wstring::npos) {
        outcome.reason = L"驱动包名称无效";
        return outcome;
    }
    std::wstring storeInf;
    std::wstring ambiguity;
    const std::wstring storeFolder = LocateStoreFolder(files_, inf, storeInf, &ambiguity);
    if (storeFolder.empty()) {
        outcome.reason = ambiguity.empty() ? L"在驱动库中找不到 " + inf + L" 的文件夹" : ambiguity;
        return outcome;
    }
    BackupManifest manifest = Describe(request, inf, storeFolder, storeInf);
    std::vector<SavedFile> saved;
    if (!ListSaved(storeFolder, inf, saved, outcome.reason))
        return outcome;
    uint64_t needed = 0;
    for (const SavedFile& file : saved)
        needed += file.size;
    if (!PrepareRoot(needed, outcome.reason))
        return outcome;

    const std::wstring partial =
        CreatePartialFolder(FolderStamp(manifest.time) + L" " + SafeName(WidenGbk(request.deviceKey)) + L" " + inf);
    if (partial.empty()) {
        outcome.reason = L"无法在备份位置 " + settings_.root + L" 创建文件夹（只读或无权限）";
        return outcome;
    }
    if (!Fill(partial, saved, manifest, outcome.reason)) {
        files_.RemoveTree(partial);
        return outcome;
    }
    const std::wstring finished = partial.substr(0, partial.size() - kPartialSuffix.size());
    if (!files_.Rename(partial, finished)) {
        files_.RemoveTree(partial);
        outcome.reason = L"无法完成备份文件夹 " + finished;
        return outcome;
    }
    outcome.made = true;
    outcome.folder = finished;
    outcome.size = manifest.TotalSize();
    return outcome;
}

BackupManifest PackageBackup::Describe(const BackupRequest& request, const std::wstring& inf,
                                       const std::wstring& storeFolder, const std::wstring& storeInf) {
    BackupManifest manifest;
    manifest.time = clock_();
    manifest.deviceKey = ToUtf8(WidenGbk(request.deviceKey));
    manifest.category = request.category;
    manifest.searchPattern = ToUtf8(WidenGbk(request.searchPattern));
    manifest.hardwareId = Unescaped(manifest.searchPattern);
    manifest.description = ToUtf8(WidenGbk(request.description));
    manifest.inf = ToUtf8(inf);
    manifest.provider = ToUtf8(WidenGbk(request.package.provider));
    manifest.version = ToUtf8(WidenGbk(request.package.version));
    manifest.date = ToUtf8(WidenGbk(request.package.date));
    manifest.wasCurrent = request.package.isCurrent;
    manifest.storeFolder = ToUtf8(FileName(storeFolder));
    manifest.storeInf = ToUtf8(storeInf);
    manifest.tool = ToUtf8(FileName(settings_.toolPath));
    return manifest;
}

bool PackageBackup::ListSaved(const std::wstring& storeFolder, const std::wstring& inf, std::vector<SavedFile>& saved,
                              std::wstring& reason) {
    // What goes in: the store folder as it is, and the published INF with its PNF.
    const std::wstring storeName = FileName(storeFolder);
    const auto storeFiles = files_.ListFiles(storeFolder);
    if (!storeFiles) {
        reason = L"无法列出驱动库文件夹的文件：" + files_.LastError();
        return false;
    }
    for (const FileEntry& file : *storeFiles)
        saved.push_back({storeFolder + L"\\" + file.path, storeName + L"\\" + file.path, file.size});
    const std::wstring infFolder = files_.WindowsFolder() + L"\\INF";
    for (const std::wstring& name : {inf, PnfOf(inf)})
        if (const auto size = files_.FileSize(infFolder + L"\\" + name))
            saved.push_back({infFolder + L"\\" + name, L"INF\\" + name, *size});
    return true;
}

bool PackageBackup::PrepareRoot(uint64_t needed, std::wstring& reason) {
    files_.CreateNewFolder(settings_.root);
    auto distrust = files_.Distrust(settings_.root);
    if (distrust && files_.Secure(settings_.root)) {
        log_(L"备份位置 " + settings_.root + L" 的访问权限已收紧（" + *distrust + L"）");
        distrust = files_.Distrust(settings_.root);
    }
    if (distrust) {
        reason = L"备份位置 " + settings_.root + L" 不可信：" + *distrust;
        return false;
    }
    const auto free = files_.FreeSpace(settings_.root);
    if (!free) {
        reason = L"无法在备份位置 " + settings_.root + L" 创建文件夹（只读或无权限）";
        return false;
    }
    if (*free < needed + kFreeSpaceMargin) {
        reason = L"备份位置 " + settings_.root + L" 空间不足（需要 " + SizeText(needed + kFreeSpaceMargin) +
                 L"，可用 " + SizeText(*free) + L"）";
        return false;
    }
    return true;
}

std::wstring PackageBackup::CreatePartialFolder(const std::wstring& name) {
    for (int attempt = 1; attempt <= 100; ++attempt) {
        // A name is free while neither the finished backup nor another run's unfinished one has it.
        const std::wstring finished =
            settings_.root + L"\\" + name + (attempt > 1 ? L" (" + std::to_wstring(attempt) + L")" : L"");
        const std::wstring candidate = finished + std::wstring(kPartialSuffix);
        if (files_.Exists(finished))
            continue;
        if (files_.CreateNewFolder(candidate))
            return candidate;
        if (!files_.Exists(candidate))
            break;
    }
    return {};
}

bool PackageBackup::Fill(const std::wstring& folder, const std::vector<SavedFile>& saved, BackupManifest& manifest,
                         std::wstring& reason) {
    // Each copy is checked against its source, so the backup holds the very bytes of the store.
    for (const SavedFile& file : saved) {
        const std::wstring to = folder + L"\\" + file.relative;
        const auto source = files_.CopyChecked(file.from, to);
        if (!source) {
            reason = files_.LastError().empty() ? L"复制 " + file.from + L" 失败" : files_.LastError();
            return false;
        }
        manifest.files.push_back({*source, file.size, ToUtf8(file.relative)});
    }
    // The tool and the script let a user without this program undo the deletion.
    if (!settings_.toolPath.empty() &&
        !files_.CopyNewFile(settings_.toolPath, folder + L"\\" + FileName(settings_.toolPath))) {
        reason = L"复制设备控制台工具失败：" + files_.LastError();
        return false;
    }
    if (manifest.StoreInfRecord() == nullptr) {
        reason = L"驱动库文件夹中没有 " + FromUtf8(manifest.storeInf) + L"，备份不完整";
        return false;
    }
    if (!files_.WriteNewFile(folder + L"\\" + std::wstring(kRestoreScriptName), NarrowGbk(RestoreScript(manifest))) ||
        !files_.WriteNewFile(folder + L"\\" + FromUtf8(kManifestName), FormatManifest(manifest))) {
        reason = L"写入备份说明失败：" + files_.LastError();
        return false;
    }
    return true;
}

std::wstring RestoreScript(const BackupManifest& m) {
    const std::wstring inf = L"\"" + FromUtf8(m.storeFolder) + L"\\" + FromUtf8(m.storeInf) + L"\"";
    const std::wstring tool = L".\\" + FromUtf8(m.tool);
    // Inside a batch file "%" must be doubled; the other special characters are safe inside the quotes.
    std::wstring hardwareId;
    for (const wchar_t c : FromUtf8(m.hardwareId))
        hardwareId += c == L'%' ? std::wstring(L"%%") : std::wstring(1, c);
    std::wstring s;
    const auto line = [&](std::wstring_view text) {
        s += text;
        s += L"\r\n";
    };
    line(L"@echo off");
    line(L"rem 恢复在卸载前备份的驱动包 " + FromUtf8(m.inf) + L"，设备 " + FromUtf8(m.deviceKey) + L"。双击运行即可。");
    line(L"setlocal DisableDelayedExpansion");
    // Double-clicked, the script runs in its own folder; run as administrator, in System32: go back. The
    // folder is then only named through for-variables and an environment variable, which the interpreter
    // does not expand again, so "'", "&", "%", "!" and the like in it stay plain text.
    line(L"if not exist \"%~nx0\" cd /d \"%~dp0\"");
    line(L"rem 需要管理员权限：写不进 Windows 文件夹时，请求以管理员身份重新运行。");
    line(L"type nul >\"%SystemRoot%\\tolvik-restore-check.tmp\" 2>nul");
    line(L"if not exist \"%SystemRoot%\\tolvik-restore-check.tmp\" goto elevate");
    line(L"del \"%SystemRoot%\\tolvik-restore-check.tmp\"");
    line(L"for %%I in (" + inf + L") do \"" + tool + L"\" dp_add \"%%~fI\"");
    line(L"if errorlevel 2 goto failed");
    line(L"\"" + tool + L"\" rescan");
    if (m.wasCurrent) {
        line(L"for %%I in (" + inf + L") do \"" + tool + L"\" update \"%%~fI\" \"" + hardwareId + L"\"");
        line(L"if errorlevel 2 goto failed");
    }
    line(L"echo 驱动已恢复。");
    line(L"if /i not \"%~1\"==\"/q\" pause");
    line(L"exit /b 0");
    line(L":failed");
    line(L"echo 恢复失败。");
    line(L"if /i not \"%~1\"==\"/q\" pause");
    line(L"exit /b 2");
    line(L":elevate");
    // The system's PowerShell by its full path (never one beside the script), and the script's path through
    // the environment, never inside a quoted PowerShell string.
    line(L"set \"TOLVIK_RESTORE_SCRIPT=%~f0\"");
    line(L"\"%SystemRoot%\\System32\\WindowsPowerShell\\v1.0\\powershell.exe\" -NoProfile -NonInteractive "
         L"-ExecutionPolicy Bypass -Command \"try { Start-Process -FilePath $env:TOLVIK_RESTORE_SCRIPT -Verb RunAs "
         L"-ErrorAction Stop } catch { exit 1 }\"");
    line(L"if not errorlevel 1 exit /b 0");
    line(L"echo 没有得到管理员权限，驱动没有恢复。请右键点击本文件，选择“以管理员身份运行”。");
    line(L"if /i not \"%~1\"==\"/q\" pause");
    line(L"exit /b 1");
    return s;
}

std::wstring SizeText(uint64_t bytes) {
    const wchar_t* units[] = {L"B", L"KB", L"MB", L"GB", L"TB"};
    double value = static_cast<double>(bytes);
    size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(units)) {
        value /= 1024;
        ++unit;
    }
    wchar_t text[32];
    swprintf(text, 32, unit == 0 ? L"%.0f %ls" : L"%.1f %ls", value, units[unit]);
    return text;
}
