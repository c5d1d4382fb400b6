// The backups on Windows: the machine's files (with the real System32 from a 32-bit process on 64-bit
// Windows), where backups live, and the backup the uninstall thread uses, which writes to the tool's log.
#pragma once

#include "backup/BackupFiles.h"
#include "backup/PackageBackup.h"

#include <memory>
#include <string>

class WindowsBackupFiles : public IBackupFiles {
public:
    std::wstring WindowsFolder() override;
    std::wstring StoreInfOf(const std::wstring& publishedInf) override;
    std::vector<std::wstring> Folders(const std::wstring& folder) override;
    std::vector<FileEntry> Files(const std::wstring& folder) override;
    [[nodiscard]] std::optional<std::vector<FileEntry>> ListFiles(const std::wstring& folder) override;
    [[nodiscard]] bool Exists(const std::wstring& path) override;
    [[nodiscard]] std::optional<uint64_t> FileSize(const std::wstring& path) override;
    [[nodiscard]] std::optional<std::string> HashFile(const std::wstring& path) override;
    [[nodiscard]] std::optional<std::string> ReadFile(const std::wstring& path) override;
    [[nodiscard]] bool WriteNewFile(const std::wstring& path, const std::string& bytes) override;
    [[nodiscard]] bool CopyNewFile(const std::wstring& from, const std::wstring& to) override;
    [[nodiscard]] std::optional<std::string> CopyChecked(const std::wstring& from, const std::wstring& to) override;
    [[nodiscard]] bool CreateNewFolder(const std::wstring& path) override;
    [[nodiscard]] bool Rename(const std::wstring& from, const std::wstring& to) override;
    [[nodiscard]] bool RemoveTree(const std::wstring& path) override;
    std::wstring ShortPath(const std::wstring& path) override;
    [[nodiscard]] std::optional<uint64_t> FreeSpace(const std::wstring& path) override;
    [[nodiscard]] std::optional<std::wstring> Distrust(const std::wstring& folder) override;
    [[nodiscard]] bool Secure(const std::wstring& folder) override;
    std::wstring LastError() override;

private:
    // Keeps what failed with the system's reason, for LastError.
    void Remember(const std::wstring& what);
    std::wstring lastError_;
};

// %ProgramData%\ToolLog\DriverBackup: beside the log, outside the program folder that the tool removes.
std::wstring DefaultBackupRoot();

// The Device Console tool this program runs, in its program folder.
std::wstring DeviceConsoleToolPath();

// Local time with its UTC offset, "2026-12-08T05:15:02+08:00".
std::string LocalTimeText();

// A backup on this machine that logs each backup, or why none was made, to the tool's log.
std::unique_ptr<IPackageBackup> MakeWindowsBackup(std::wstring root = {}, uint64_t maxTotalSize = kDefaultBackupLimit);
