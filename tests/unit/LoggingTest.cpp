// The log service over an in-memory file system and clock: paths, the exact bytes of an entry, the "print"
// switch, rotation at the size limit, failures and concurrent writers.
#include "logging/LogRules.h"
#include "logging/LogSave.h"
#include "logging/LogSaveCloseFile.h"
#include "text/CodePage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace {

// 工具内部错1 and 卸载失败 in GBK.
const std::string kInternalError1 = "\xb9\xa4\xbe\xdf\xc4\xda\xb2\xbf\xb4\xed\x31";
const std::string kUninstallFailed = "\xd0\xb6\xd4\xd8\xca\xa7\xb0\xdc";
const LogTime kMarch5 = {2024, 3, 5, 7, 8, 9, 45};
// The entry written at kMarch5 with kInternalError1, byte by byte.
const std::string kMarch5Entry = "[2024-03-05 07:08:09 045ms]   " + kInternalError1 + "\r\n";

const std::wstring kAppData = L"C:\\ProgramData";
const std::wstring kLogFolder = L"C:\\ProgramData\\ToolLog";
const std::wstring kLogFile = L"C:\\ProgramData\\ToolLog\\videzure.txt";
const std::wstring kBackupFile = L"C:\\ProgramData\\ToolLog\\videzure.txtbak";

// What the fake platform's files, folders and settings look like; shared with the test after the platform has
// been handed to the service.
struct FakeWorld {
    std::mutex mutex;
    std::optional<std::wstring> appData = kAppData;
    std::set<std::wstring> folders = {kAppData};
    std::map<std::wstring, std::string> files;
    std::map<std::wstring, std::wstring> profile; // "ini path|section|key" -> value
    std::vector<std::wstring> createdFolders;
    std::set<std::wstring> heldFiles; // held by another process without delete sharing: cannot be moved
    int moveAttempts = 0;
    bool diskFull = false;
    LogTime now = kMarch5;
    int openNow = 0;
    int openMost = 0;
    bool yieldBetweenBytes = false;

    static std::wstring Parent(const std::wstring& path) {
        const std::size_t slash = path.rfind(L'\\');
        return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    }
    bool FolderExists(const std::wstring& path) { return path.empty() || folders.count(path) != 0; }
};

class FakePlatform : public CLogPlatform {
public:
    explicit FakePlatform(std::shared_ptr<FakeWorld> world) : world_(std::move(world)) {}

    class FakeFile : public File {
    public:
        FakeFile(std::shared_ptr<FakeWorld> world, std::wstring path) : world_(std::move(world)), path_(path) {}
        ~FakeFile() override {
            std::lock_guard<std::mutex> guard(world_->mutex);
            --world_->openNow;
        }
        bool Append(std::string_view bytes) override {
            // Byte by byte, giving way in between, so that two unserialised writers would interleave.
            for (const char c : bytes) {
                {
                    std::lock_guard<std::mutex> guard(world_->mutex);
                    if (world_->diskFull)
                        return false;
                    world_->files[path_] += c;
                }
                if (world_->yieldBetweenBytes)
                    std::this_thread::yield();
            }
            return true;
        }
        std::optional<std::uint64_t> Length() override {
            std::lock_guard<std::mutex> guard(world_->mutex);
            return world_->files[path_].size();
        }

    private:
        std::shared_ptr<FakeWorld> world_;
        std::wstring path_;
    };

    std::optional<std::wstring> CommonAppDataFolder() override { return world_->appData; }
    bool Exists(const std::wstring& path) override {
        std::lock_guard<std::mutex> guard(world_->mutex);
        return world_->folders.count(path) != 0 || world_->files.count(path) != 0;
    }
    bool CreateFolder(const std::wstring& path) override {
        std::lock_guard<std::mutex> guard(world_->mutex);
        world_->createdFolders.push_back(path);
        if (world_->folders.count(path) || world_->files.count(path) || !world_->FolderExists(FakeWorld::Parent(path)))
            return false;
        world_->folders.insert(path);
        return true;
    }
    std::wstring ReadProfileString(const std::wstring& iniPath, const std::wstring& section, const std::wstring& key,
                                   const std::wstring& fallback) override {
        const auto found = world_->profile.find(iniPath + L"|" + section + L"|" + key);
        return found == world_->profile.end() ? fallback : found->second;
    }
    LogTime Now() override { return world_->now; }
    std::unique_ptr<File> OpenForAppend(const std::wstring& path) override {
        std::lock_guard<std::mutex> guard(world_->mutex);
        if (!world_->FolderExists(FakeWorld::Parent(path)) || world_->folders.count(path))
            return nullptr;
        world_->files[path];
        world_->openMost = std::max(world_->openMost, ++world_->openNow);
        return std::make_unique<FakeFile>(world_, path);
    }
    bool MoveReplacing(const std::wstring& from, const std::wstring& to) override {
        std::lock_guard<std::mutex> guard(world_->mutex);
        ++world_->moveAttempts;
        if (world_->heldFiles.count(from) || !world_->files.count(from))
            return false;
        world_->files[to] = std::move(world_->files[from]);
        world_->files.erase(from);
        return true;
    }

private:
    std::shared_ptr<FakeWorld> world_;
};

class LogService : public ::testing::Test {
protected:
    std::unique_ptr<CLogSave> Start() { return std::make_unique<CLogSave>(std::make_unique<FakePlatform>(world)); }
    void SetPrint(const std::wstring& value) { world->profile[kAppData + L"\\logCfg.ini|Log|print"] = value; }

    std::shared_ptr<FakeWorld> world = std::make_shared<FakeWorld>();
};

// --- Paths ---

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

TEST(LogSink, WritesTheRecordIntoItsFolder) {
    auto world = std::make_shared<FakeWorld>();
    world->folders.insert(L"D:\\Logs");
    CLogSaveCloseFile sink(L"D:\\Logs\\", std::make_unique<FakePlatform>(world));
    CLogBase& base = sink;
    EXPECT_TRUE(base.WriteEntry(CPacketLog("a.txt", "first")));
    EXPECT_TRUE(base.WriteText("second", "a.txt"));
    EXPECT_EQ(world->files[L"D:\\Logs\\a.txt"],
              "[2024-03-05 07:08:09 045ms]   first\r\n[2024-03-05 07:08:09 045ms]   second\r\n");
}

TEST(LogRules, PathsOfTheLog) {
    EXPECT_EQ(LogBaseFolder(std::wstring(L"D:\\Data")), L"D:\\Data\\");
    EXPECT_EQ(LogBaseFolder(std::nullopt), L"");
    EXPECT_EQ(LogBaseFolder(std::wstring()), L"");
    EXPECT_EQ(LogFolderPath(L"D:\\Data\\"), L"D:\\Data\\ToolLog");
    EXPECT_EQ(LogConfigPath(L"D:\\Data\\"), L"D:\\Data\\logCfg.ini");
    EXPECT_EQ(LogBackupPath(L"D:\\Data\\ToolLog\\videzure.txt"), L"D:\\Data\\ToolLog\\videzure.txtbak");
}

// --- Entry format ---

TEST(LogRules, StampIsZeroPaddedAndEndsInThreeBlanks) {
    EXPECT_EQ(FormatLogStamp(kMarch5), "[2024-03-05 07:08:09 045ms]   ");
    EXPECT_EQ(FormatLogStamp({1999, 12, 31, 23, 59, 59, 999}), "[1999-12-31 23:59:59 999ms]   ");
    EXPECT_EQ(FormatLogStamp({2030, 1, 1, 0, 0, 0, 7}), "[2030-01-01 00:00:00 007ms]   ");
    EXPECT_EQ(FormatLogEntry(kMarch5, kInternalError1), kMarch5Entry);
    EXPECT_EQ(FormatLogEntry(kMarch5, ""), "[2024-03-05 07:08:09 045ms]   \r\n");
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

// --- The "print" switch ---

TEST(LogRules, LeadingIntegerIsReadLikeWtoi) {
    EXPECT_EQ(ParseLeadingInt(L"  -12x"), -12);
    EXPECT_EQ(ParseLeadingInt(L"+7"), 7);
    EXPECT_EQ(ParseLeadingInt(L"x1"), 0);
    EXPECT_EQ(ParseLeadingInt(L""), 0);
    EXPECT_EQ(ParseLeadingInt(L"-"), 0);
    EXPECT_EQ(ParseLeadingInt(L"2147483647"), INT_MAX);
    EXPECT_EQ(ParseLeadingInt(L"2147483648"), INT_MAX);
    EXPECT_EQ(ParseLeadingInt(L"-2147483648"), INT_MIN);
    EXPECT_EQ(ParseLeadingInt(L"-99999999999999999999"), INT_MIN);
}

TEST(LogRules, SwitchIsOnExactlyForTheValueOne) {
    for (const wchar_t* on : {L"1", L" 1 ", L"01", L"+1", L"\t1\r", L"1abc", L"1.5", L"0001"})
        EXPECT_TRUE(IsLogSwitchOn(on)) << ToUtf8(on);
    for (const wchar_t* off : {L"-1", L"0", L"2", L"true", L"", L" ", L"one", L"11", L"4294967297", L"- 1"})
        EXPECT_FALSE(IsLogSwitchOn(off)) << ToUtf8(off);
    // The profile buffer holds 99 characters: a digit beyond them is not read.
    EXPECT_TRUE(IsLogSwitchOn(std::wstring(98, L'0') + L"1"));
    EXPECT_FALSE(IsLogSwitchOn(std::wstring(99, L'0') + L"1"));
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

// --- Rotation ---

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

TEST(LogRules, LimitIsSixMillionTwentyThousandBytes) {
    EXPECT_FALSE(LogNeedsRotation(0));
    EXPECT_FALSE(LogNeedsRotation(6'020'000));
    EXPECT_TRUE(LogNeedsRotation(6'020'001));
    EXPECT_TRUE(LogNeedsRotation(6'291'456));
}

// --- Failures and threads ---

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

// --- The system's own services ---

TEST(LogSystemPlatform, WritesAndRotatesRealFiles) {
    namespace fs = std::filesystem;
    // Named after the build tree, so that test runs of different trees keep apart.
    const fs::path base = fs::temp_directory_path() /
                          ("tolvik-log-" + std::to_string(std::hash<std::string>()(fs::current_path().string())));
    fs::remove_all(base);
    fs::create_directories(base);
    {
        std::ofstream ini(base / "logCfg.ini");
        ini << "[Log]\nprint = 1\n";
    }
    CLogSave log(CreateSystemLogPlatform(base.wstring()));
    EXPECT_TRUE(log.Enabled());
    ASSERT_TRUE(fs::is_directory(base / "ToolLog"));
    ASSERT_TRUE(log.Write(kInternalError1, kToolLogFile, false));
    {
        std::ofstream grow(base / "ToolLog" / "videzure.txt", std::ios::binary | std::ios::app);
        grow << std::string(6'020'000, 'x');
    }
    ASSERT_TRUE(log.Write(kUninstallFailed, kToolLogFile, true));
    EXPECT_FALSE(fs::exists(base / "ToolLog" / "videzure.txt"));
    std::ifstream backup(base / "ToolLog" / "videzure.txtbak", std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(backup)), std::istreambuf_iterator<char>());
    ASSERT_GT(content.size(), 6'020'000u);
    EXPECT_EQ(content.substr(30, kInternalError1.size() + 2), kInternalError1 + "\r\n");
    EXPECT_EQ(content.substr(content.size() - kUninstallFailed.size() - 2), kUninstallFailed + "\r\n");
    backup.close();
    fs::remove_all(base);
}

#ifndef _WIN32
// Links planted where the log writes: the log file, its backup name, and the log folder itself. None is
// followed; entries that would go through one are dropped and what the links lead to stays as it was. (Under
// Wine the same is checked by the Windows tests, with Unix links and a hard link.)
TEST(LogSystemPlatform, PlantedLinksAreNeverFollowed) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() /
                          ("tolvik-links-" + std::to_string(std::hash<std::string>()(fs::current_path().string())));
    fs::remove_all(root);
    const fs::path elsewhere = root / "elsewhere";
    fs::create_directories(elsewhere);
    const auto write = [](const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    };
    const auto read = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    write(elsewhere / "target.txt", "keep");
    const auto logIn = [&](const fs::path& base) {
        fs::create_directories(base);
        return std::make_unique<CLogSave>(CreateSystemLogPlatform(base.wstring()));
    };

    // The log file a link to a file elsewhere, or to a file not there yet.
    const fs::path fileLink = root / "file-link";
    fs::create_directories(fileLink / "ToolLog");
    fs::create_symlink(elsewhere / "target.txt", fileLink / "ToolLog" / "videzure.txt");
    EXPECT_FALSE(logIn(fileLink)->Write(kInternalError1, kToolLogFile, true));
    const fs::path dangling = root / "dangling";
    fs::create_directories(dangling / "ToolLog");
    fs::create_symlink(elsewhere / "new.txt", dangling / "ToolLog" / "videzure.txt");
    EXPECT_FALSE(logIn(dangling)->Write(kInternalError1, kToolLogFile, true));
    EXPECT_FALSE(fs::exists(elsewhere / "new.txt"));
    // The log file a second name of a file elsewhere.
    const fs::path hardLink = root / "hard-link";
    fs::create_directories(hardLink / "ToolLog");
    fs::create_hard_link(elsewhere / "target.txt", hardLink / "ToolLog" / "videzure.txt");
    EXPECT_FALSE(logIn(hardLink)->Write(kInternalError1, kToolLogFile, true));
    // The log folder a link to a folder elsewhere.
    const fs::path folderLink = root / "folder-link";
    fs::create_directories(folderLink);
    fs::create_directory_symlink(elsewhere, folderLink / "ToolLog");
    EXPECT_FALSE(logIn(folderLink)->Write(kInternalError1, kToolLogFile, true));
    EXPECT_FALSE(fs::exists(elsewhere / "videzure.txt"));
    EXPECT_EQ(read(elsewhere / "target.txt"), "keep");

    // The backup name a link: rotation replaces the link, not what it leads to.
    const fs::path backupLink = root / "backup-link";
    std::unique_ptr<CLogSave> log = logIn(backupLink);
    fs::create_symlink(elsewhere / "target.txt", backupLink / "ToolLog" / "videzure.txtbak");
    write(backupLink / "ToolLog" / "videzure.txt", std::string(6'020'000, 'x'));
    EXPECT_TRUE(log->Write(kInternalError1, kToolLogFile, true));
    EXPECT_FALSE(fs::is_symlink(backupLink / "ToolLog" / "videzure.txtbak"));
    EXPECT_GT(fs::file_size(backupLink / "ToolLog" / "videzure.txtbak"), 6'020'000u);
    EXPECT_EQ(read(elsewhere / "target.txt"), "keep");
    fs::remove_all(root);
}
#endif

} // namespace
