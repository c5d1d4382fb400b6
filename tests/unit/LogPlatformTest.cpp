// The system's own log services: real files, their rotation, and links planted where the log writes.
#include "logging/LogSave.h"

#include "FakeLogPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

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
