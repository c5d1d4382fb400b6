// The list of backups: pruning, what comes first, the latest restorable one, and the limits' values.
#include "backup/BackupCatalog.h"

#include "BackupFixture.h"

#include <gtest/gtest.h>

namespace {

// The backups a run of the fixture's package backup leaves.
class BackupCatalog : public Backup {};

} // namespace

TEST_F(BackupCatalog, PruningTakesBackupsOfPackagesBackInTheStoreFirstThenTheOldest) {
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

TEST_F(BackupCatalog, ABackupThatCannotBeRemovedStopsThePruneAndIsNeverListedHalfRemoved) {
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

TEST_F(BackupCatalog, LatestFollowsTheInstantAcrossTimeZones) {
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

TEST_F(BackupCatalog, RestoreLatestTakesTheNewestTrustedCompleteBackupOfAPackageNotInTheStore) {
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
