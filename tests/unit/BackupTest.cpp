// Package backups: locating the store folder, what a backup holds, what stops one, pruning, the manifest,
// the restore and its commands, and the restore script.
#include "backup/BackupCatalog.h"
#include "backup/PackageBackup.h"
#include "backup/PackageRestore.h"
#include "backup/Sha256.h"
#include "text/CodePage.h"

#include "FakeBackupFiles.h"
#include "FakeRunner.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kRepository = L"C:\\Windows\\System32\\DriverStore\\FileRepository";
const std::wstring kRoot = L"C:\\ProgramData\\ToolLog\\DriverBackup";
const std::string kInf = "; iigd_dch.inf\r\n[Version]\r\nDriverVer = 3/24/2020,26.20.100.7985\r\n";

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
    std::string time_ = "2026-12-08 05:15:02";
    std::vector<std::wstring> log_;
};

} // namespace

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Longer than one block, fed in uneven pieces.
    Sha256 pieces;
    const std::string text(1000, 'a');
    pieces.Update(text.data(), 3);
    pieces.Update(text.data() + 3, 997);
    EXPECT_EQ(pieces.HexDigest(), Sha256Hex(text));
    EXPECT_EQ(Sha256Hex(text), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
}

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
        {"disk full midway", [](FakeBackupFiles& d) { d.copiesLeft = 2; }, L"磁盘已满或不可写"},
    };
    for (const Case& c : cases) {
        SetUp();
        disk_.folders.clear();
        disk_.freeSpace = 1ull << 40;
        disk_.readOnly = false;
        disk_.copiesLeft = 1 << 30;
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

TEST_F(Backup, PruningRemovesTheOldestButNeverTheOneJustMade) {
    PackageBackup backup = Make();
    std::vector<std::wstring> made;
    for (const char* time : {"2026-12-01 10:00:00", "2026-12-02 10:00:00", "2026-12-03 10:00:00"}) {
        time_ = time;
        made.push_back(backup.Backup(request_).folder);
    }
    const uint64_t one = ListBackups(disk_, kRoot).front().size;
    EXPECT_EQ(PruneBackups(disk_, kRoot, 2, std::nullopt), std::vector<std::wstring>{made[0]});
    EXPECT_EQ(PruneBackups(disk_, kRoot, std::nullopt, one, made[1]), std::vector<std::wstring>{made[2]});
    ASSERT_EQ(ListBackups(disk_, kRoot).size(), 1u);

    // The size limit applies by itself after each backup.
    time_ = "2026-12-04 10:00:00";
    const BackupOutcome newest = Make(one).Backup(request_);
    const auto left = ListBackups(disk_, kRoot);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].folder, newest.folder);
}

TEST(BackupManifest, ReadsWhatItWritesAndRefusesDamage) {
    BackupManifest m;
    m.time = "2026-12-08 05:15:02";
    m.deviceKey = "8086_3E9B";
    m.description = "智音 AI\n降噪";
    m.inf = "oem12.inf";
    m.storeFolder = "x.inf_amd64_1";
    m.storeInf = "x.inf";
    m.files = {{std::string(64, 'a'), 12, "x.inf_amd64_1\\x.inf"}};
    const auto read = ParseManifest(FormatManifest(m));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->description, "智音 AI 降噪") << "one line per field";
    EXPECT_EQ(read->files[0].path, "x.inf_amd64_1\\x.inf");
    EXPECT_EQ(read->files[0].size, 12u);

    const std::string good = FormatManifest(m);
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"tolvik-driver-backup 1", "something else"},
             {std::string(64, 'a'), std::string(63, 'a')},
             {" 12 x.inf", " 12 ..\\x.inf"},
             {"store-folder x.inf_amd64_1", "store-folder ..\\x"},
         }) {
        std::string damaged = good;
        damaged.replace(damaged.find(from), from.size(), to);
        EXPECT_FALSE(ParseManifest(damaged)) << to;
    }
}

namespace {

const std::string kAdded = "Driver package 'oem0.inf' added.\r\n";
const std::string kFiles =
    "PCI\\VEN_8086&DEV_3E9B\\3&1\r\n    Name: Intel\r\n"
    "    Driver installed from C:\\Windows\\INF\\oem0.inf [s]. The driver is not using any files.\r\n"
    "1 matching device(s) found.\r\n";
const std::string kNodes = "PCI\\VEN_8086&DEV_3E9B\\3&1\r\n    Name: Intel\r\nDriver node #0:\r\n"
                           "    Inf file is C:\\Windows\\INF\\oem0.inf\r\n    Driver version is 26.20.100.7985\r\n"
                           "1 matching device(s) found.\r\n";

class Restore : public Backup {
protected:
    void SetUp() override {
        Backup::SetUp();
        const BackupOutcome outcome = Make().Backup(request_);
        folder_ = outcome.folder;
        manifest_ = *ParseManifest(disk_.files[folder_ + L"\\manifest.txt"]);
        // The package was deleted.
        disk_.files.erase(L"C:\\Windows\\INF\\oem12.inf");
    }

    RestoreResult Run(FakeRunner& runner) {
        const DeviceConsole console(runner, L"C:\\Tools", false);
        return RestoreBackup(disk_, console, folder_, manifest_);
    }

    std::wstring folder_;
    BackupManifest manifest_;
};

} // namespace

TEST_F(Restore, AddsByFullPathRescansMakesCurrentAndChecks) {
    FakeRunner runner({kAdded, "", "", kFiles, kNodes});
    const RestoreResult result = Run(runner);
    EXPECT_TRUE(result.success) << result.message;
    EXPECT_EQ(result.publishedName, "oem0.inf");
    EXPECT_TRUE(result.current);
    const std::wstring inf = L"\"" + folder_ + L"\\iigd_dch.inf_amd64_1c2b\\iigd_dch.inf\"";
    const std::wstring prefix = L".\\devcon.exe ";
    ASSERT_EQ(runner.commands.size(), 5u);
    EXPECT_EQ(runner.commands[0], prefix + L"dp_add " + inf);
    EXPECT_EQ(runner.commands[1], prefix + L"rescan");
    EXPECT_EQ(runner.commands[2], prefix + L"update " + inf + L" PCI\\VEN_8086^&DEV_3E9B");
}

TEST_F(Restore, RefusesABackupChangedByHand) {
    disk_.files[folder_ + L"\\iigd_dch.inf_amd64_1c2b\\sub\\igdkmd64.sys"] += "!";
    FakeRunner runner({});
    const RestoreResult result = Run(runner);
    EXPECT_FALSE(result.success);
    EXPECT_NE(result.message.find(L"igdkmd64.sys 已被修改"), std::wstring::npos);
    EXPECT_TRUE(runner.commands.empty());

    disk_.files[folder_ + L"\\iigd_dch.inf_amd64_1c2b\\sub\\igdkmd64.sys"].pop_back();
    disk_.files[folder_ + L"\\iigd_dch.inf_amd64_1c2b\\extra.dll"] = "added by hand";
    EXPECT_NE(Run(runner).message.find(L"清单之外"), std::wstring::npos);
    disk_.files.erase(folder_ + L"\\iigd_dch.inf_amd64_1c2b\\iigd_dch.cat");
    EXPECT_NE(Run(runner).message.find(L"备份缺少文件"), std::wstring::npos);
    EXPECT_TRUE(runner.commands.empty());
}

TEST_F(Restore, StopsWhenTheToolRefusesTheAdd) {
    FakeRunner refusing({"Adding the specified driver package to the machine failed.\r\ndevcon failed.\r\n"});
    const RestoreResult result = Run(refusing);
    EXPECT_FALSE(result.success);
    EXPECT_NE(result.message.find(L"Adding the specified driver package"), std::wstring::npos);
    EXPECT_EQ(refusing.commands.size(), 1u) << "nothing after a refused dp_add";

    // The interpreter's own complaint, in the console's code page, reads as written.
    FakeRunner missing({NarrowGbk(L"'.\\devcon.exe' 不是内部或外部命令，也不是可运行的程序\r\n或批处理文件。\r\n")});
    EXPECT_NE(Run(missing).message.find(L"不是内部或外部命令"), std::wstring::npos);
}

TEST_F(Restore, APackageThatIsBackIsNotAddedTwice) {
    disk_.files[L"C:\\Windows\\INF\\oem0.inf"] = kInf;
    FakeRunner runner({"", "", kFiles, kNodes});
    const RestoreResult result = Run(runner);
    EXPECT_TRUE(result.success) << result.message;
    EXPECT_TRUE(result.alreadyInStore);
    EXPECT_EQ(runner.commands[0].find(L"dp_add"), std::wstring::npos);
    EXPECT_NE(result.message.find(L"没有重复添加"), std::wstring::npos);
}

TEST_F(Restore, APathThatWouldExpandGoesByItsShortNameOrIsRefused) {
    const std::wstring old = folder_;
    folder_ = L"C:\\Backups\\%OS% 备份";
    disk_.Rename(old, folder_);
    FakeRunner refused({});
    EXPECT_NE(Run(refused).message.find(L"%"), std::wstring::npos);
    EXPECT_TRUE(refused.commands.empty());

    disk_.shortNames[folder_ + L"\\iigd_dch.inf_amd64_1c2b\\iigd_dch.inf"] = L"C:\\BACKUPS\\OS~1\\IIGD~1.INF";
    FakeRunner runner({kAdded, "", "", kFiles, kNodes});
    EXPECT_TRUE(Run(runner).success);
    EXPECT_EQ(runner.commands[0], L".\\devcon.exe dp_add \"C:\\BACKUPS\\OS~1\\IIGD~1.INF\"");
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
