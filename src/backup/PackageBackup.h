// Saving a driver package before it is deleted: its whole driver-store folder and the published INF/PNF go
// into a folder of their own with a manifest, the Device Console tool and a restore script, so that one step
// puts the package back.
#pragma once

#include "backup/BackupFiles.h"
#include "backup/BackupManifest.h"
#include "discovery/DriverInventory.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Texts as the scan read them (code page 936).
struct BackupRequest {
    int category = 0;
    std::string deviceKey;
    std::string searchPattern;
    std::string description;
    DriverPackageRecord package;
};

struct BackupOutcome {
    bool made = false;
    std::wstring folder; // the finished backup folder when made
    std::wstring reason; // why none was made
    std::wstring notice; // what the size limit could not do, when made
    uint64_t size = 0;   // bytes of the saved package: its store folder and published INF/PNF
};

// What the uninstall calls before its first deletion.
class IPackageBackup {
public:
    virtual ~IPackageBackup() = default;
    virtual BackupOutcome Backup(const BackupRequest& request) = 0;
    // Takes back a backup that was not needed after all (the deletion surely did not happen); the outcome then
    // says so.
    virtual void Discard(BackupOutcome& outcome) = 0;
};

// Unless told otherwise, the backups together are kept below 2 GiB; the oldest go first.
constexpr uint64_t kDefaultBackupLimit = 2ull << 30;
// Room left on the volume beyond the backup itself.
constexpr uint64_t kFreeSpaceMargin = 16ull << 20;

constexpr std::wstring_view kRestoreScriptName = L"恢复驱动.cmd";

struct BackupSettings {
    std::wstring root;     // ...\ToolLog\DriverBackup
    std::wstring toolPath; // the Device Console tool that goes beside the restore script
    uint64_t maxTotalSize = kDefaultBackupLimit;
};

class PackageBackup : public IPackageBackup {
public:
    using Clock = std::function<std::string()>; // local time with its offset, "2026-12-08T05:15:02+08:00"
    using Log = std::function<void(std::wstring_view)>;

    PackageBackup(IBackupFiles& files, BackupSettings settings, Clock clock, Log log)
        : files_(files), settings_(std::move(settings)), clock_(std::move(clock)), log_(std::move(log)) {}

    BackupOutcome Backup(const BackupRequest& request) override;
    void Discard(BackupOutcome& outcome) override;

private:
    struct SavedFile {
        std::wstring from;
        std::wstring relative; // inside the backup folder
        uint64_t size = 0;
    };

    BackupOutcome Make(const BackupRequest& request);
    // The manifest of the package before its files are read; asks the clock for the backup's time.
    BackupManifest Describe(const BackupRequest& request, const std::wstring& inf, const std::wstring& storeFolder,
                            const std::wstring& storeInf);
    // The store folder's files and the published INF with its PNF; false with a reason when the folder cannot be
    // listed.
    bool ListSaved(const std::wstring& storeFolder, const std::wstring& inf, std::vector<SavedFile>& saved,
                   std::wstring& reason);
    // The backup root exists, is trusted (tightened once if need be) and has room for `needed` bytes.
    bool PrepareRoot(uint64_t needed, std::wstring& reason);
    // Creates "<root>\<name>[ (N)].partial" under the first name free; empty when none could be made.
    std::wstring CreatePartialFolder(const std::wstring& name);
    bool Fill(const std::wstring& folder, const std::vector<SavedFile>& saved, BackupManifest& manifest,
              std::wstring& reason);

    IBackupFiles& files_;
    BackupSettings settings_;
    Clock clock_;
    Log log_;
    std::vector<std::wstring> madeThisRun_; // spared by the size limit
};

// The store folder of a published INF: where Windows says it is, or else the folder of FileRepository whose
// INF is byte for byte the published one. Sets `storeInf` to that INF's name; empty when none is found, or
// when several are (then `ambiguity` says which).
std::wstring LocateStoreFolder(IBackupFiles& files, const std::wstring& publishedInf, std::wstring& storeInf,
                               std::wstring* ambiguity = nullptr);

// Bytes the package takes in the store: its store folder and its published INF/PNF; 0 when not found.
uint64_t PackageStoreSize(IBackupFiles& files, const std::wstring& publishedInf);

// The restore script's text (CR LF lines; the caller writes it in the console code page).
std::wstring RestoreScript(const BackupManifest& manifest);

// "1.5 MB" and the like, for messages.
std::wstring SizeText(uint64_t bytes);
