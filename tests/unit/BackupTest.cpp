// Package backups: locating the store folder, what a backup holds, what stops one, pruning, the manifest,
// the restore and its commands, and the restore script.
#include "backup/BackupCatalog.h"
#include "backup/BackupTrust.h"
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
    std::string time_ = "2026-12-08T05:15:02+08:00";
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

TEST_F(Backup, PruningTakesBackupsOfPackagesBackInTheStoreFirstThenTheOldest) {
    PackageBackup backup = Make();
    std::vector<std::wstring> made;
    for (const char* time : {"2026-12-01T10:00:00+08:00", "2026-12-02T10:00:00+08:00", "2026-12-03T10:00:00+08:00"}) {
        time_ = time;
        made.push_back(backup.Backup(request_).folder);
    }
    // oem12 is still published, so every backup is of a package in the store; the one of another package is not.
    disk_.files[kRepository + L"\\other.inf_amd64_1\\other.inf"] = "; other";
    disk_.files[L"C:\\Windows\\INF\\oem7.inf"] = "; other";
    time_ = "2026-11-01T10:00:00+08:00";
    request_.package.infName = "oem7.inf";
    const std::wstring oldestNotInStore = backup.Backup(request_).folder;
    disk_.files.erase(L"C:\\Windows\\INF\\oem7.inf");

    const PruneResult pruned = PruneBackups(disk_, kRoot, 2, std::nullopt);
    EXPECT_EQ(pruned.removed, (std::vector<std::wstring>{made[0], made[1]}));
    EXPECT_TRUE(pruned.error.empty());
    ASSERT_EQ(ListBackups(disk_, kRoot).size(), 2u);
    EXPECT_EQ(ListBackups(disk_, kRoot)[0].folder, oldestNotInStore);
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

TEST_F(Backup, ABackupThatCannotBeRemovedStopsThePruneAndIsNeverListedHalfRemoved) {
    PackageBackup backup = Make();
    time_ = "2026-12-01T10:00:00+08:00";
    const std::wstring locked = backup.Backup(request_).folder;
    time_ = "2026-12-02T10:00:00+08:00";
    backup.Backup(request_);
    time_ = "2026-12-03T10:00:00+08:00";
    backup.Backup(request_);
    disk_.undeletable.insert(L"igdkmd64.sys");

    const PruneResult pruned = PruneBackups(disk_, kRoot, 1, std::nullopt);
    EXPECT_TRUE(pruned.removed.empty()) << "stopped at the first";
    EXPECT_NE(pruned.error.find(locked), std::wstring::npos);
    EXPECT_TRUE(disk_.IsFolder(locked + L".removing")) << "moved aside first";
    EXPECT_EQ(ListBackups(disk_, kRoot).size(), 2u);
}

TEST_F(Backup, LatestFollowsTheInstantAcrossTimeZones) {
    PackageBackup backup = Make();
    time_ = "2026-12-08T09:00:00+08:00"; // 01:00 UTC
    const std::wstring earlier = backup.Backup(request_).folder;
    time_ = "2026-12-08T02:00:00+00:00"; // 02:00 UTC, though its folder name sorts first
    const std::wstring later = backup.Backup(request_).folder;
    const auto entries = ListBackups(disk_, kRoot);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].folder, earlier);
    EXPECT_EQ(entries[1].folder, later);
    EXPECT_EQ(BackupInstant("2026-12-08T09:00:00+08:00"), BackupInstant("2026-12-08 01:00:00"));
    EXPECT_FALSE(BackupInstant("2026-12-08T09:00:00+8"));
}

TEST_F(Backup, RestoreLatestTakesTheNewestTrustedCompleteBackupOfAPackageNotInTheStore) {
    PackageBackup backup = Make();
    time_ = "2026-12-01T10:00:00+08:00";
    const std::wstring deleted = backup.Backup(request_).folder;
    time_ = "2026-12-02T10:00:00+08:00";
    const std::wstring tampered = backup.Backup(request_).folder;
    time_ = "2026-12-03T10:00:00+08:00";
    const std::wstring forged = backup.Backup(request_).folder;
    EXPECT_FALSE(LatestRestorable(disk_, kRoot)) << "oem12 is in the store: nothing was really deleted";

    disk_.files.erase(L"C:\\Windows\\INF\\oem12.inf");
    disk_.files[tampered + L"\\iigd_dch.inf_amd64_1c2b\\iigd_dch.cat"] += "!";
    disk_.distrusted[forged] = L"Users 也能写入";
    const auto latest = LatestRestorable(disk_, kRoot);
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->folder, deleted);
    EXPECT_EQ(ListBackups(disk_, kRoot).back().distrust, L"备份文件夹不可信：Users 也能写入");
}

TEST(BackupLimits, OutOfRangeValuesAreRefused) {
    EXPECT_EQ(ParseKeepCount(L"3"), 3u);
    EXPECT_EQ(ParseBackupLimit(L"2G"), 2ull << 30);
    EXPECT_EQ(ParseBackupLimit(L"700kb"), std::nullopt) << "below 1 MiB";
    for (const wchar_t* keep : {L"0", L"-1", L"1000001", L"99999999999999999999", L"2x"})
        EXPECT_FALSE(ParseKeepCount(keep)) << keep;
    for (const wchar_t* size : {L"0", L"2048T", L"99999999999999999G", L"5Q", L""})
        EXPECT_FALSE(ParseBackupLimit(size)) << size;
}

TEST(BackupTrust, OnlyAdministratorsAndSystemMayChangeAndOwnABackup) {
    const AccessEntry admins{Principal::Administrators, L"BUILTIN\\Administrators", true, false, 0x1f01ff};
    const AccessEntry system{Principal::System, L"NT AUTHORITY\\SYSTEM", true, false, 0x1f01ff};
    const AccessEntry usersRead{Principal::Other, L"BUILTIN\\Users", true, false, 0x1200a9};
    FolderSecurity ours{
        false, true, Principal::Administrators, L"BUILTIN\\Administrators", false, {admins, system, usersRead}};
    EXPECT_FALSE(JudgeFolderSecurity(ours));

    // %ProgramData%'s entry: Users may create folders and append data.
    FolderSecurity inherited = ours;
    inherited.entries.push_back({Principal::Other, L"BUILTIN\\Users", true, false, 0x4});
    EXPECT_NE(JudgeFolderSecurity(inherited).value_or(L"").find(L"BUILTIN\\Users 也能写入"), std::wstring::npos);
    // CREATOR OWNER on the folder itself, or any entry only for what is inside, grants no one the folder.
    FolderSecurity template_ = ours;
    template_.entries.push_back({Principal::CreatorOwner, L"CREATOR OWNER", true, true, 0x10000000});
    template_.entries.push_back({Principal::Other, L"Everyone", false, false, 0x1f01ff});
    EXPECT_FALSE(JudgeFolderSecurity(template_));

    FolderSecurity forged = ours;
    forged.owner = Principal::Other;
    forged.ownerName = L"PC\\user";
    EXPECT_NE(JudgeFolderSecurity(forged).value_or(L"").find(L"PC\\user"), std::wstring::npos);
    FolderSecurity open = ours;
    open.nullDacl = true;
    EXPECT_TRUE(JudgeFolderSecurity(open));
    FolderSecurity link = ours;
    link.link = true;
    EXPECT_TRUE(JudgeFolderSecurity(link));
}

TEST(BackupManifest, ReadsWhatItWritesAndRefusesDamage) {
    BackupManifest m;
    m.time = "2026-12-08T05:15:02+08:00";
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

    // The store as the tool changes it: a dp_add publishes the package as oem0.inf.
    struct StoreRunner : ICommandRunner {
        StoreRunner(FakeRunner& inner, FakeBackupFiles& disk) : inner(inner), disk(disk) {}
        CommandOutcome RunConsoleCommand(const ConsoleCommand& command, std::string& output) override {
            const CommandOutcome outcome = inner.RunConsoleCommand(command, output);
            if (command.text.find(L"dp_add") != std::wstring::npos && output.find("added.") != std::string::npos)
                disk.files[L"C:\\Windows\\INF\\oem0.inf"] = kInf;
            return outcome;
        }
        FakeRunner& inner;
        FakeBackupFiles& disk;
    };

    RestoreResult Run(FakeRunner& runner) {
        StoreRunner store(runner, disk_);
        const DeviceConsole console(store, L"C:\\Tools", false);
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

TEST_F(Restore, APackageBackAndCurrentChangesNothingOneBackButIdleIsMadeCurrent) {
    disk_.files[L"C:\\Windows\\INF\\oem0.inf"] = kInf;
    FakeRunner current({kFiles, kNodes});
    RestoreResult result = Run(current);
    EXPECT_TRUE(result.success) << result.message;
    EXPECT_FALSE(result.changed);
    EXPECT_NE(result.message.find(L"没有做任何改动"), std::wstring::npos);
    ASSERT_EQ(current.commands.size(), 2u) << "only the package query";

    FakeRunner idle({"", "", "", "", kFiles, kNodes});
    result = Run(idle);
    EXPECT_TRUE(result.success && result.alreadyInStore && result.current) << result.message;
    EXPECT_EQ(idle.commands[2], L".\\devcon.exe rescan") << "no dp_add";
    EXPECT_NE(result.message.find(L"没有重复添加"), std::wstring::npos);
}

TEST_F(Restore, APackageBackInTheStoreSucceedsAndAnUnpluggedDeviceIsAWarning) {
    FakeRunner runner({kAdded, "", "", "No matching devices found.\r\n", "No matching devices found.\r\n"});
    const RestoreResult result = Run(runner);
    EXPECT_TRUE(result.success) << result.message;
    EXPECT_FALSE(result.current);
    EXPECT_NE(result.warning.find(L"没有列出这个驱动包"), std::wstring::npos);
}

TEST_F(Restore, AnAddTheStoreDoesNotShowIsAFailure) {
    FakeRunner runner({"Driver package 'oem5.inf' added.\r\n"});
    const RestoreResult result = Run(runner);
    EXPECT_FALSE(result.success);
    EXPECT_NE(result.message.find(L"驱动库中没有这个驱动包"), std::wstring::npos);
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
