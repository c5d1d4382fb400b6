// A driver store of two versions of one graphics driver on an in-memory disk, and the backup of its package.
#pragma once

#include "backup/PackageBackup.h"

#include "FakeBackupFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline const std::wstring kRepository = L"C:\\Windows\\System32\\DriverStore\\FileRepository";
inline const std::wstring kRoot = L"C:\\ProgramData\\ToolLog\\DriverBackup";
inline const std::string kInf = "; iigd_dch.inf\r\n[Version]\r\nDriverVer = 3/24/2020,26.20.100.7985\r\n";

class Backup : public ::testing::Test {
protected:
    void SetUp() override {
        // Two versions of one driver in the store; the published oem12.inf is the second one's INF.
        disk_.files[kRepository + L"\\iigd_dch.inf_amd64_9f0e\\iigd_dch.inf"] = "; older version\r\n";
        disk_.files[kRepository + L"\\iigd_dch.inf_amd64_9f0e\\igdkmd64.sys"] = "MZ old";
        disk_.files[kRepository + L"\\iigd_dch.inf_amd64_1c2b\\iigd_dch.inf"] = kInf;
        disk_.files[kRepository + L"\\iigd_dch.inf_amd64_1c2b\\iigd_dch.cat"] = "catalogue";
        disk_.files[kRepository + L"\\iigd_dch.inf_amd64_1c2b\\sub\\igdkmd64.sys"] = std::string(5000, 'x');
        disk_.files[L"C:\\Windows\\INF\\oem12.inf"] = kInf;
        disk_.files[L"C:\\Windows\\INF\\oem12.PNF"] = "PNF";
        disk_.files[L"C:\\Tools\\devcon.exe"] = "tool";
        request_ = {1,
                    "8086_3E9B",
                    "PCI\\VEN_8086^&DEV_3E9B",
                    "Intel(R) UHD Graphics 630",
                    {"oem12.inf", "Intel Corporation", "3/24/2020", "26.20.100.7985", 1}};
    }

    PackageBackup Make(uint64_t limit = kDefaultBackupLimit) {
        return PackageBackup(
            disk_, {kRoot, L"C:\\Tools\\devcon.exe", limit}, [this] { return time_; },
            [this](std::wstring_view entry) { log_.emplace_back(entry); });
    }

    std::vector<std::wstring> BackupFolders() { return disk_.Folders(kRoot); }

    FakeBackupFiles disk_;
    BackupRequest request_;
    std::string time_ = "2026-12-08T05:15:02+08:00";
    std::vector<std::wstring> log_;
};
