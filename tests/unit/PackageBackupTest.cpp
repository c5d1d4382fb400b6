// Package backups: locating the store folder, what a backup holds, what stops one, the size limit of a run,
// and the restore script.
#include "backup/PackageBackup.h"
#include "backup/BackupCatalog.h"
#include "backup/PackageRestore.h"

#include "BackupFixture.h"

#include <gtest/gtest.h>

TEST_F(Backup, SavesTheWholeStoreFolderFoundByTheInfBytesWithManifestToolAndScript) {
    const BackupOutcome outcome = Make().Backup(request_);
    ASSERT_TRUE(outcome.made) << outcome.reason;
    EXPECT_EQ(outcome.folder, kRoot + L"\\20261208-051502 8086_3E9B oem12.inf");
    const std::wstring folder = outcome.folder;
    EXPECT_EQ(disk_.files[folder + L"\\iigd_dch.inf_amd64_1c2b\\sub\\igdkmd64.sys"], std::string(5000, 'x'));
    EXPECT_EQ(disk_.files[folder + L"\\iigd_dch.inf_amd64_1c2b\\iigd_dch.cat"], "catalogue");
    EXPECT_EQ(disk_.files[folder + L"\\INF\\oem12.inf"], kInf);
    EXPECT_EQ(disk_.files[folder + L"\\INF\\oem12.PNF"], "PNF");
    EXPECT_EQ(disk_.files[folder + L"\\devcon.exe"], "tool");
    EXPECT_TRUE(disk_.files.count(folder + L"\\恢复驱动.cmd"));
    EXPECT_EQ(disk_.Files(folder).size(), 8u) << "nothing of the other store folder";

    const auto manifest = ParseManifest(disk_.files[folder + L"\\manifest.txt"]);
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->storeFolder, "iigd_dch.inf_amd64_1c2b");
    EXPECT_EQ(manifest->storeInf, "iigd_dch.inf");
    EXPECT_EQ(manifest->hardwareId, "PCI\\VEN_8086&DEV_3E9B");
    EXPECT_TRUE(manifest->wasCurrent);
    EXPECT_EQ(manifest->files.size(), 5u);
    EXPECT_EQ(manifest->TotalSize(), outcome.size);
    EXPECT_FALSE(CheckBackup(disk_, folder, *manifest));
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_NE(log_[0].find(L"已备份到 " + folder), std::wstring::npos);
}

TEST_F(Backup, TakesTheStoreFolderWindowsNamesAndKeepsTwoRunsApart) {
    disk_.located[L"oem12.inf"] = kRepository + L"\\iigd_dch.inf_amd64_9f0e\\iigd_dch.inf";
    PackageBackup backup = Make();
    const BackupOutcome first = backup.Backup(request_);
    const BackupOutcome second = backup.Backup(request_); // the same second, another run
    ASSERT_TRUE(first.made && second.made);
    EXPECT_TRUE(disk_.files.count(first.folder + L"\\iigd_dch.inf_amd64_9f0e\\igdkmd64.sys"));
    EXPECT_NE(first.folder, second.folder);
    EXPECT_EQ(BackupFolders().size(), 2u);
}

TEST_F(Backup, WhatStopsABackupLeavesNothingBehindAndIsLogged) {
    struct Case {
        const char* what;
        std::function<void(FakeBackupFiles&)> arrange;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {"no store folder", [](FakeBackupFiles& d) { d.files[L"C:\\Windows\\INF\\oem12.inf"] = "changed"; },
         L"在驱动库中找不到 oem12.inf 的文件夹"},
        {"no room", [](FakeBackupFiles& d) { d.freeSpace = 1 << 20; }, L"空间不足"},
        {"read-only", [](FakeBackupFiles& d) { d.readOnly = true; }, L"无法在备份位置"},
        {"disk full midway", [](FakeBackupFiles& d) { d.copiesLeft = 2; }, L"复制 C:\\Windows"},
        {"two store folders hold the INF",
         [](FakeBackupFiles& d) { d.files[kRepository + L"\\iigd_dch.inf_amd64_77aa\\iigd_dch.inf"] = kInf; },
         L"有 2 个文件夹的 INF 与 oem12.inf 完全相同"},
        {"an untrusted backup location", [](FakeBackupFiles& d) { d.distrusted[kRoot] = L"Users 也能写入"; },
         L"不可信：Users 也能写入"},
    };
    for (const Case& c : cases) {
        disk_ = FakeBackupFiles();
        SetUp();
        log_.clear();
        c.arrange(disk_);
        const BackupOutcome outcome = Make().Backup(request_);
        EXPECT_FALSE(outcome.made) << c.what;
        EXPECT_NE(outcome.reason.find(c.reason), std::wstring::npos) << c.what;
        EXPECT_TRUE(disk_.Files(kRoot).empty()) << c.what;
        ASSERT_EQ(log_.size(), 1u) << c.what;
        EXPECT_NE(log_[0].find(L"没有备份"), std::wstring::npos) << c.what;
    }
}

TEST_F(Backup, ALocationAnAdministratorOwnsIsSecuredOneOthersOwnIsNot) {
    disk_.distrusted[kRoot] = L"BUILTIN\\Users 也能写入"; // made by an older version, inheriting %ProgramData%'s list
    disk_.securable.insert(kRoot);
    EXPECT_TRUE(Make().Backup(request_).made);
    EXPECT_FALSE(disk_.Distrust(kRoot));

    disk_.distrusted[kRoot] = L"它的所有者是 PC\\user"; // planted by an ordinary user
    disk_.securable.clear();
    const BackupOutcome planted = Make().Backup(request_);
    EXPECT_FALSE(planted.made);
    EXPECT_NE(planted.reason.find(L"PC\\user"), std::wstring::npos);
}

TEST_F(Backup, TheSizeLimitNeverTakesThisRunsBackupsAndSaysWhenItCannotMeetTheLimit) {
    time_ = "2026-12-01T10:00:00+08:00";
    const BackupOutcome earlier = Make().Backup(request_);
    const uint64_t one = ListBackups(disk_, kRoot).front().size;

    // A limit below one package: this run's two backups stay, the earlier run's goes, and the outcome says so.
    PackageBackup run = Make(one / 2);
    time_ = "2026-12-04T10:00:00+08:00";
    const BackupOutcome first = run.Backup(request_);
    EXPECT_NE(first.notice.find(L"必须保留"), std::wstring::npos) << "a package bigger than the limit is kept";
    const BackupOutcome second = run.Backup(request_);
    ASSERT_TRUE(first.made && second.made);
    std::vector<std::wstring> left;
    for (const BackupEntry& entry : ListBackups(disk_, kRoot))
        left.push_back(entry.folder);
    EXPECT_EQ(left, (std::vector<std::wstring>{first.folder, second.folder}));
    EXPECT_NE(earlier.folder, first.folder);
}

TEST(RestoreScript, NamesTheFolderOnlyThroughForVariablesAndDoublesPercentSigns) {
    BackupManifest m;
    m.storeFolder = "x.inf_x86_1";
    m.storeInf = "x.inf";
    m.tool = "devcon.exe";
    m.hardwareId = "USB\\VID_1&PID_2%3";
    m.wasCurrent = true;
    const std::wstring script = RestoreScript(m);
    EXPECT_NE(script.find(L"for %%I in (\"x.inf_x86_1\\x.inf\") do \".\\devcon.exe\" dp_add \"%%~fI\"\r\n"),
              std::wstring::npos);
    EXPECT_NE(script.find(L"update \"%%~fI\" \"USB\\VID_1&PID_2%%3\"\r\n"), std::wstring::npos);
    m.wasCurrent = false;
    EXPECT_EQ(RestoreScript(m).find(L"update"), std::wstring::npos);
}
