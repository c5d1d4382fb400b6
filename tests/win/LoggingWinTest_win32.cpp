// The log service on real files under Windows: entry bytes and local time, the configuration file, rotation at
// the size limit, a log held by another process, a file in the log folder's place and concurrent writers.
#include "logging/LogPlatform.h"
#include "logging/LogSave.h"

#include "PlantedLinks.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// 工具内部错14 in GBK.
const std::string kInternalError14 = "\xb9\xa4\xbe\xdf\xc4\xda\xb2\xbf\xb4\xed\x31\x34";
// Every entry is a 30-byte stamp, the message and CR LF.
const std::size_t kEntrySize = 30 + kInternalError14.size() + 2;
const std::uint64_t kLimit = 6'020'000;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A file of `size` zero bytes, made by moving its end rather than writing it.
void MakeFileOfSize(const fs::path& path, std::uint64_t size) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
}

std::string StampOf(const SYSTEMTIME& t) {
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "[%04d-%02d-%02d %02d:%02d:%02d %03dms]   ", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return stamp;
}

// Each test works in a fresh folder of its own under the current directory, standing in for the
// application-data folder.
class WinLog : public ::testing::Test {
protected:
    void SetUp() override {
        base = fs::current_path() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(base);
        fs::create_directories(base);
        logFile = base / "ToolLog" / "videzure.txt";
        backup = base / "ToolLog" / "videzure.txtbak";
    }
    std::unique_ptr<CLogSave> Start() { return std::make_unique<CLogSave>(CreateSystemLogPlatform(base.wstring())); }

    fs::path base, logFile, backup;
};

TEST_F(WinLog, EntryIsStampedWithLocalTimeAndWrittenAsGbk) {
    auto log = Start();
    EXPECT_EQ(log->LogFolder(), base.wstring() + L"\\ToolLog\\");
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    ASSERT_TRUE(log->Write(kInternalError14, kToolLogFile, true));
    GetLocalTime(&after);

    const std::string content = ReadAll(logFile);
    ASSERT_EQ(content.size(), kEntrySize);
    const std::string stamp = content.substr(0, 30);
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \d{3}ms\]   )"))) << stamp;
    EXPECT_LE(StampOf(before), stamp);
    EXPECT_GE(StampOf(after), stamp);
    EXPECT_EQ(content.substr(30), kInternalError14 + "\r\n");
}

TEST_F(WinLog, SwitchIsReadFromTheBaseFolderOnly) {
    WriteText(base / "logCfg.ini", "[Log]\r\nprint= 01 \r\n");
    auto on = Start();
    EXPECT_TRUE(on->Enabled());
    EXPECT_TRUE(on->Write("unforced", kToolLogFile, false));

    fs::remove(base / "logCfg.ini");
    WriteText(base / "ToolLog" / "logCfg.ini", "[Log]\r\nprint=1\r\n");
    auto off = Start();
    EXPECT_FALSE(off->Enabled());
    EXPECT_FALSE(off->Write("unforced", kToolLogFile, false));
    EXPECT_TRUE(off->Write("forced", kToolLogFile, true));

    const std::string content = ReadAll(logFile);
    EXPECT_NE(content.find("]   unforced\r\n"), std::string::npos);
    EXPECT_NE(content.find("]   forced\r\n"), std::string::npos);
    EXPECT_EQ(content.size(), 2 * 30 + std::string("unforced\r\nforced\r\n").size());
}

TEST_F(WinLog, PlainFileNamedToolLogDropsEntriesQuietly) {
    WriteText(base / "ToolLog", "not a folder");
    auto log = Start();
    EXPECT_FALSE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_FALSE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_TRUE(fs::is_regular_file(base / "ToolLog"));
    EXPECT_EQ(ReadAll(base / "ToolLog"), "not a folder");
    EXPECT_EQ(std::distance(fs::directory_iterator(base), fs::directory_iterator()), 1);
}

TEST_F(WinLog, FolderRemovedDuringTheRunIsMadeAgain) {
    auto log = Start();
    ASSERT_TRUE(fs::is_directory(base / "ToolLog"));
    fs::remove_all(base / "ToolLog");
    EXPECT_TRUE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_EQ(fs::file_size(logFile), kEntrySize);
}

TEST_F(WinLog, FileIsRotatedJustPastTheLimit) {
    auto log = Start();
    WriteText(backup, "older backup");
    MakeFileOfSize(logFile, kLimit - kEntrySize);
    ASSERT_TRUE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_EQ(fs::file_size(logFile), kLimit);
    EXPECT_EQ(ReadAll(backup), "older backup");

    MakeFileOfSize(logFile, kLimit + 1 - kEntrySize);
    ASSERT_TRUE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_FALSE(fs::exists(logFile));
    ASSERT_EQ(fs::file_size(backup), kLimit + 1);
    const std::string moved = ReadAll(backup);
    EXPECT_EQ(moved.substr(moved.size() - kInternalError14.size() - 2), kInternalError14 + "\r\n");

    ASSERT_TRUE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_EQ(fs::file_size(logFile), kEntrySize);
    EXPECT_EQ(fs::file_size(backup), kLimit + 1);
}

TEST_F(WinLog, FileHeldWithoutDeleteSharingIsRotatedOnceReleased) {
    auto log = Start();
    MakeFileOfSize(logFile, kLimit + 1);
    const HANDLE held = CreateFileW(logFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_TRUE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(fs::file_size(logFile), kLimit + 1 + 2 * kEntrySize);
    CloseHandle(held);

    EXPECT_TRUE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_FALSE(fs::exists(logFile));
    EXPECT_EQ(fs::file_size(backup), kLimit + 1 + 3 * kEntrySize);
}

// Another process holds the log open without delete sharing until told to let go.
class HoldingProcess {
public:
    explicit HoldingProcess(const fs::path& file) {
        const std::wstring tag = std::to_wstring(GetCurrentProcessId());
        ready_ = CreateEventW(nullptr, TRUE, FALSE, (L"tolvik-log-ready-" + tag).c_str());
        release_ = CreateEventW(nullptr, TRUE, FALSE, (L"tolvik-log-release-" + tag).c_str());
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(self) + L"\" --hold \"" + file.wstring() + L"\" " + tag;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
            CloseHandle(info.hThread);
            process_ = info.hProcess;
        }
    }
    ~HoldingProcess() {
        Release();
        CloseHandle(ready_);
        CloseHandle(release_);
    }
    bool WaitUntilHolding() {
        const HANDLE handles[2] = {ready_, process_};
        return process_ && WaitForMultipleObjects(2, handles, FALSE, 30000) == WAIT_OBJECT_0;
    }
    DWORD Release() {
        DWORD code = 1;
        if (!process_)
            return code;
        SetEvent(release_);
        WaitForSingleObject(process_, 30000);
        GetExitCodeProcess(process_, &code);
        CloseHandle(process_);
        process_ = nullptr;
        return code;
    }

private:
    HANDLE ready_ = nullptr;
    HANDLE release_ = nullptr;
    HANDLE process_ = nullptr;
};

TEST_F(WinLog, FileHeldByAnotherProcessIsRotatedOnceReleased) {
    auto log = Start();
    MakeFileOfSize(logFile, kLimit + 1);
    HoldingProcess holder(logFile);
    ASSERT_TRUE(holder.WaitUntilHolding());
    EXPECT_TRUE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(fs::file_size(logFile), kLimit + 1 + kEntrySize);
    EXPECT_EQ(holder.Release(), 0u);

    EXPECT_TRUE(log->Write(kInternalError14, kToolLogFile, true));
    EXPECT_FALSE(fs::exists(logFile));
    EXPECT_EQ(fs::file_size(backup), kLimit + 1 + 2 * kEntrySize);
}

TEST_F(WinLog, AppendsLandAfterWhatOthersAppendedMeanwhile) {
    auto platform = CreateSystemLogPlatform(base.wstring());
    const fs::path path = base / "shared.txt";
    auto file = platform->OpenForAppend(path.wstring());
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Append("A"));
    {
        std::ofstream other(path, std::ios::binary | std::ios::app);
        other << "BBBB";
    }
    ASSERT_TRUE(file->Append("C"));
    EXPECT_EQ(file->Length(), std::optional<std::uint64_t>(6));
    file.reset();
    EXPECT_EQ(ReadAll(path), "ABBBBC");
}

TEST_F(WinLog, ConcurrentWritersLeaveWholeEntries) {
    auto log = Start();
    const int threads = 4, perThread = 100;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([&, t] {
            const std::string message(1000 + t, static_cast<char>('a' + t));
            for (int i = 0; i < perThread; ++i)
                log->Write(message, kToolLogFile, true);
        });
    }
    for (auto& writer : writers)
        writer.join();

    std::istringstream lines(ReadAll(logFile));
    std::string line;
    std::map<char, int> counts;
    while (std::getline(lines, line)) {
        ASSERT_GT(line.size(), 31u);
        ASSERT_EQ(line.back(), '\r');
        const std::string message = line.substr(30, line.size() - 31);
        const int t = message[0] - 'a';
        ASSERT_EQ(message, std::string(1000 + t, message[0])) << "entry " << counts.size();
        ++counts[message[0]];
    }
    EXPECT_EQ(counts, (std::map<char, int>{{'a', perThread}, {'b', perThread}, {'c', perThread}, {'d', perThread}}));
}

// The product's own instance, in the prefix's real application-data folder. Run in a process of its own so that
// this is the first call.
TEST(ProductLog, FirstCallsFromManyThreadsShareOneInstance) {
    std::vector<std::thread> threads;
    std::vector<CLogSave*> seen(8, nullptr);
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &CLogSave::GetInstance(); });
    for (auto& thread : threads)
        thread.join();
    for (CLogSave* instance : seen)
        EXPECT_EQ(instance, seen[0]);

    wchar_t appData[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appData, CSIDL_COMMON_APPDATA, FALSE));
    EXPECT_EQ(seen[0]->LogFolder(), std::wstring(appData) + L"\\ToolLog\\");

    const fs::path file = fs::path(appData) / "ToolLog" / "videzure.txt";
    const std::string marker =
        kInternalError14 + " " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
    ASSERT_TRUE(CLogSave::GetInstance().Write(marker, kToolLogFile, true));
    EXPECT_TRUE(LogToolFailure(u8"工具内部错14"));
    const std::string content = ReadAll(file);
    const std::size_t at = content.find("]   " + marker + "\r\n");
    ASSERT_NE(at, std::string::npos);
    // The UTF-8 literal arrives as the same GBK bytes, in a later entry.
    EXPECT_NE(content.find("]   " + kInternalError14 + "\r\n", at), std::string::npos);
}

// Links planted where the log writes, as far as the system lets a test plant them: under Wine, Unix links (Wine
// 8's CreateSymbolicLinkW makes none) and a hard link; on Windows, real symbolic links. None is followed: the
// entry is dropped and what the link leads to stays as it was.
TEST_F(WinLog, PlantedLinksAreNeverFollowed) {
    const fs::path elsewhere = base / "elsewhere";
    fs::create_directories(elsewhere);
    WriteText(elsewhere / "target.txt", "keep");
    const auto logIn = [&](const fs::path& folder) {
        fs::create_directories(folder);
        return std::make_unique<CLogSave>(CreateSystemLogPlatform(folder.wstring()));
    };

    const fs::path fileLink = base / "file-link";
    fs::create_directories(fileLink / "ToolLog");
    ASSERT_TRUE(planted::PlantLink(fileLink / "ToolLog" / "videzure.txt", elsewhere / "target.txt", false));
    EXPECT_FALSE(logIn(fileLink)->Write(kInternalError14, "videzure.txt", true));

    const fs::path dangling = base / "dangling";
    fs::create_directories(dangling / "ToolLog");
    WriteText(elsewhere / "new.txt", "");
    ASSERT_TRUE(planted::PlantLink(dangling / "ToolLog" / "videzure.txt", elsewhere / "new.txt", false));
    ASSERT_TRUE(DeleteFileW((elsewhere / "new.txt").c_str())); // the link now leads nowhere
    EXPECT_FALSE(logIn(dangling)->Write(kInternalError14, "videzure.txt", true));
    EXPECT_FALSE(fs::exists(elsewhere / "new.txt"));

    const fs::path hardLink = base / "hard-link";
    fs::create_directories(hardLink / "ToolLog");
    ASSERT_TRUE(
        CreateHardLinkW((hardLink / "ToolLog" / "videzure.txt").c_str(), (elsewhere / "target.txt").c_str(), nullptr));
    EXPECT_FALSE(logIn(hardLink)->Write(kInternalError14, "videzure.txt", true));

    const fs::path folderLink = base / "folder-link";
    fs::create_directories(folderLink);
    ASSERT_TRUE(planted::PlantLink(folderLink / "ToolLog", elsewhere, true));
    EXPECT_FALSE(logIn(folderLink)->Write(kInternalError14, "videzure.txt", true));
    EXPECT_FALSE(fs::exists(elsewhere / "videzure.txt"));

    EXPECT_EQ(ReadAll(elsewhere / "target.txt"), "keep");
    // A plain log beside them still takes its entries.
    const fs::path plain = base / "plain";
    EXPECT_TRUE(logIn(plain)->Write(kInternalError14, "videzure.txt", true));
    EXPECT_EQ(ReadAll(plain / "ToolLog" / "videzure.txt").size(), kEntrySize);
}

// Child mode: hold a file open without delete sharing until the parent says so.
int HoldFile(const wchar_t* path, const wchar_t* tag) {
    const HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    const HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, (std::wstring(L"tolvik-log-ready-") + tag).c_str());
    const HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, (std::wstring(L"tolvik-log-release-") + tag).c_str());
    if (!ready || !release)
        return 3;
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseHandle(file);
    CloseHandle(ready);
    CloseHandle(release);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int wideCount = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (wide && wideCount == 4 && std::wstring(wide[1]) == L"--hold")
        return HoldFile(wide[2], wide[3]);
    LocalFree(wide);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
