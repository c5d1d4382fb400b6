// The log service over an in-memory file system and clock: paths, the "print" switch, rotation at the size
// limit, failures and concurrent writers.
#include "logging/LogSave.h"

#include "FakeLogPlatform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class LogService : public ::testing::Test {
protected:
    std::unique_ptr<CLogSave> Start() { return std::make_unique<CLogSave>(std::make_unique<FakePlatform>(world)); }
    void SetPrint(const std::wstring& value) { world->profile[kAppData + L"\\logCfg.ini|Log|print"] = value; }

    std::shared_ptr<FakeWorld> world = std::make_shared<FakeWorld>();
};

} // namespace

TEST_F(LogService, FoldersAndFilesLieUnderTheApplicationDataFolder) {
    SetPrint(L"1");
    world->profile[kLogFolder + L"\\logCfg.ini|Log|print"] = L"0"; // not where the configuration is read
    auto log = Start();
    EXPECT_EQ(log->LogFolder(), kLogFolder + L"\\");
    EXPECT_TRUE(world->folders.count(kLogFolder));
    EXPECT_TRUE(log->Enabled());

    EXPECT_TRUE(log->Write(kInternalError1, kToolLogFile, true));
    ASSERT_TRUE(world->files.count(kLogFile));
    EXPECT_EQ(world->files[kLogFile], kMarch5Entry);
}

TEST_F(LogService, WithoutApplicationDataFolderPathsAreRelative) {
    world->appData.reset();
    world->profile[L"logCfg.ini|Log|print"] = L"1";
    auto log = Start();
    EXPECT_EQ(log->LogFolder(), L"ToolLog\\");
    EXPECT_TRUE(log->Enabled());
    EXPECT_TRUE(log->Write(kInternalError1, "videzure.txt", false));
    EXPECT_EQ(world->files[L"ToolLog\\videzure.txt"], kMarch5Entry);
}

TEST_F(LogService, FolderIsCreatedOnlyWhenNothingOfThatNameExists) {
    world->folders.insert(kLogFolder);
    Start();
    EXPECT_TRUE(world->createdFolders.empty());

    auto other = std::make_shared<FakeWorld>();
    other->files[kLogFolder] = "a plain file";
    CLogSave blocked(std::make_unique<FakePlatform>(other));
    EXPECT_TRUE(other->createdFolders.empty());
    // Every entry is dropped without harm, and the file in the folder's place stays as it was.
    EXPECT_FALSE(blocked.Write(kInternalError1, kToolLogFile, true));
    EXPECT_FALSE(blocked.Write(kInternalError1, kToolLogFile, true));
    EXPECT_EQ(other->files.size(), 1u);
    EXPECT_EQ(other->files[kLogFolder], "a plain file");
}

TEST_F(LogService, FolderRemovedDuringTheRunIsMadeAgain) {
    auto log = Start();
    world->folders.erase(kLogFolder);
    EXPECT_TRUE(log->Write(kInternalError1, kToolLogFile, true));
    EXPECT_TRUE(world->folders.count(kLogFolder));
    EXPECT_EQ(world->files[kLogFile], kMarch5Entry);
}

TEST_F(LogService, FileNamesMustStayInsideTheLogFolder) {
    auto log = Start();
    const std::vector<std::string> badNames = {
        "", ".", "..", "..\\videzure.txt", "sub/videzure.txt", "C:videzure.txt", "a|b", std::string("a\0b", 3), "\x81"};
    for (const std::string& bad : badNames) {
        EXPECT_FALSE(log->Write(kInternalError1, bad, true)) << bad;
    }
    EXPECT_TRUE(world->files.empty());
    // A Chinese name whose second byte is 0x5C is one character, not a separator.
    EXPECT_TRUE(log->Write(kInternalError1, "\x81\x5c.txt", true));
    EXPECT_EQ(world->files[kLogFolder + L"\\\u4e57.txt"], kMarch5Entry);
}

TEST_F(LogService, EntriesAreAppendedToWhatIsThere) {
    world->folders.insert(kLogFolder);
    world->files[kLogFile] = "written by someone else\r\n";
    auto log = Start();
    log->Write(kInternalError1, kToolLogFile, true);
    world->now = {2024, 11, 20, 18, 0, 1, 500};
    log->Write(kUninstallFailed, kToolLogFile, true);
    EXPECT_EQ(world->files[kLogFile], "written by someone else\r\n" + kMarch5Entry + "[2024-11-20 18:00:01 500ms]   " +
                                          kUninstallFailed + "\r\n");
}

TEST_F(LogService, ForcedEntriesAreWrittenWhateverTheSwitch) {
    const std::vector<std::optional<std::wstring>> settings = {std::nullopt, L"2", L" 1 "};
    for (const auto& print : settings) {
        world = std::make_shared<FakeWorld>();
        if (print)
            SetPrint(*print);
        auto log = Start();
        const bool on = print == L" 1 ";
        EXPECT_EQ(log->Enabled(), on);
        EXPECT_EQ(log->Write(kUninstallFailed, kToolLogFile, false), on);
        EXPECT_TRUE(log->Write(kInternalError1, kToolLogFile, true));
        EXPECT_EQ(world->files[kLogFile],
                  (on ? "[2024-03-05 07:08:09 045ms]   " + kUninstallFailed + "\r\n" : "") + kMarch5Entry);
    }
}

TEST_F(LogService, ConfigurationIsReadOnceAtStart) {
    auto log = Start();
    SetPrint(L"1");
    EXPECT_FALSE(log->Enabled());
    EXPECT_FALSE(log->Write(kInternalError1, kToolLogFile, false));
}

TEST_F(LogService, FileIsMovedOnlyWhenLongerThanTheLimit) {
    world->folders.insert(kLogFolder);
    world->files[kBackupFile] = "older backup";
    world->files[kLogFile] = std::string(6'020'000 - kMarch5Entry.size(), 'x');
    auto log = Start();

    log->Write(kInternalError1, kToolLogFile, true);
    EXPECT_EQ(world->files[kLogFile].size(), 6'020'000u);
    EXPECT_EQ(world->files[kBackupFile], "older backup");

    world->files[kLogFile] = std::string(6'020'001 - kMarch5Entry.size(), 'y');
    const std::string before = world->files[kLogFile];
    log->Write(kInternalError1, kToolLogFile, true);
    EXPECT_FALSE(world->files.count(kLogFile));
    EXPECT_EQ(world->files[kBackupFile], before + kMarch5Entry); // the entry over the limit ends the backup

    log->Write(kInternalError1, kToolLogFile, true);
    EXPECT_EQ(world->files[kLogFile], kMarch5Entry);
    EXPECT_EQ(world->files[kBackupFile], before + kMarch5Entry);
}

TEST_F(LogService, HeldFileKeepsGrowingAndIsMovedOnceReleased) {
    world->folders.insert(kLogFolder);
    world->files[kLogFile] = std::string(6'020'000, 'x');
    world->heldFiles.insert(kLogFile);
    auto log = Start();

    EXPECT_TRUE(log->Write(kInternalError1, kToolLogFile, true));
    EXPECT_TRUE(log->Write(kInternalError1, kToolLogFile, true));
    EXPECT_EQ(world->moveAttempts, 2);
    EXPECT_EQ(world->files[kLogFile].size(), 6'020'000 + 2 * kMarch5Entry.size());
    EXPECT_FALSE(world->files.count(kBackupFile));

    world->heldFiles.clear();
    log->Write(kInternalError1, kToolLogFile, true);
    EXPECT_EQ(world->files[kBackupFile].size(), 6'020'000 + 3 * kMarch5Entry.size());
    EXPECT_FALSE(world->files.count(kLogFile));
}

TEST_F(LogService, WriteFailureIsReportedAndReleasesTheLog) {
    world->folders.insert(kLogFolder);
    world->files[kLogFile] = std::string(6'020'001, 'x');
    auto log = Start();
    world->diskFull = true;
    EXPECT_FALSE(log->Write(kInternalError1, kToolLogFile, true));
    EXPECT_EQ(world->moveAttempts, 0);
    EXPECT_EQ(world->openNow, 0);

    world->diskFull = false;
    EXPECT_TRUE(log->Write(kInternalError1, kToolLogFile, true)); // would hang if the lock were still held
    EXPECT_EQ(world->files[kBackupFile], std::string(6'020'001, 'x') + kMarch5Entry);
}

TEST_F(LogService, ConcurrentEntriesAreWholeAndOneAtATime) {
    world->yieldBetweenBytes = true;
    auto log = Start();
    const std::vector<std::string> messages = {kInternalError1, kUninstallFailed, "A", "B"};
    const int perThread = 25;
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < messages.size(); ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (ready < static_cast<int>(messages.size()))
                std::this_thread::yield();
            for (int i = 0; i < perThread; ++i)
                log->Write(messages[t], t % 2 ? "other.txt" : kToolLogFile, true);
        });
    }
    for (auto& thread : threads)
        thread.join();

    // One lock for all files: never two files open at once.
    EXPECT_EQ(world->openMost, 1);
    std::map<std::string, int> seen;
    for (const auto& name : {kLogFile, kLogFolder + L"\\other.txt"}) {
        std::istringstream lines(world->files[name]);
        std::string line;
        while (std::getline(lines, line, '\n')) {
            ASSERT_EQ(line.rfind("[2024-03-05 07:08:09 045ms]   ", 0), 0u) << line;
            ASSERT_EQ(line.back(), '\r');
            ++seen[line.substr(30, line.size() - 31)];
        }
    }
    EXPECT_EQ(seen,
              (std::map<std::string, int>{
                  {kInternalError1, perThread}, {kUninstallFailed, perThread}, {"A", perThread}, {"B", perThread}}));
}
