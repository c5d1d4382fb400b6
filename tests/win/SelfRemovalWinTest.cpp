// The self-removal command run by the real command interpreter: awkward folder names, the user's files beside
// the tool, folders named like the tool's files, and neighbours whose names the folder's name begins with.
#include "shell/SelfRemoval.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::vector<std::wstring> kFiles(std::begin(kShippedFiles), std::end(kShippedFiles));

fs::path TestRoot() {
    wchar_t module[MAX_PATH];
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    // Beside the program folder, inside the test's own work folder.
    return fs::path(module).parent_path().parent_path() / L"removal";
}

void WriteFile(const fs::path& path, const std::string& text = "x") {
    std::ofstream(path, std::ios::binary) << text;
}

fs::path MakeToolFolder(const fs::path& folder) {
    fs::create_directories(folder);
    for (const std::wstring& file : kFiles) {
        WriteFile(folder / file);
    }
    return folder;
}

bool AnyShippedFileLeft(const fs::path& folder) {
    for (const std::wstring& file : kFiles) {
        if (fs::is_regular_file(folder / file)) {
            return true;
        }
    }
    return false;
}

// Waits until every started command has had its time (three seconds' wait and the deletions).
void WaitForCommands(const std::vector<fs::path>& folders) {
    for (int i = 0; i < 300; ++i) {
        bool busy = false;
        for (const fs::path& folder : folders) {
            busy = busy || AnyShippedFileLeft(folder);
        }
        if (!busy) {
            break;
        }
        ::Sleep(100);
    }
    // The folder's own rmdir follows the last deletion.
    ::Sleep(1500);
}

class SelfRemovalWin : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(TestRoot());
        fs::create_directories(TestRoot());
    }
};

TEST_F(SelfRemovalWin, FoldersHoldingOnlyTheToolDisappearWhateverTheirNames) {
    const std::vector<std::wstring> names = {L"程序 A&B^C%D 测试", L"a %UNSET_NAME% b", L"100% & (1) !x! ^^",
                                             L"工具)(&^%"};
    std::vector<fs::path> folders;
    for (const std::wstring& name : names) {
        folders.push_back(MakeToolFolder(TestRoot() / name));
        ASSERT_TRUE(StartSelfRemovalOf(folders.back().wstring(), kFiles)) << folders.back().string();
    }
    // The command first waits for the program to end.
    EXPECT_TRUE(fs::exists(folders.front() / kFiles.front()));
    WaitForCommands(folders);
    for (const fs::path& folder : folders) {
        EXPECT_FALSE(fs::exists(folder)) << folder.string();
    }
}

TEST_F(SelfRemovalWin, TheUsersFilesAndFoldersBesideTheToolSurviveAndKeepTheFolder) {
    const fs::path withFile = MakeToolFolder(TestRoot() / L"下载 & 文件");
    WriteFile(withFile / L"我的 文件.txt", "keep me");
    const fs::path withFolder = MakeToolFolder(TestRoot() / L"with folder");
    fs::create_directories(withFolder / L"照片");
    WriteFile(withFolder / L"照片" / L"1.jpg");
    // A folder that happens to carry a shipped file's name is not the tool's file.
    const fs::path lookalike = TestRoot() / L"lookalike";
    fs::create_directories(lookalike / L"ParsingString.xml");
    WriteFile(lookalike / L"ParsingString.xml" / L"inside.txt");
    WriteFile(lookalike / L"devcon.exe");
    // Neighbours named like the parts of a folder name with a blank.
    const fs::path spaced = MakeToolFolder(TestRoot() / L"驱动 卸载工具");
    fs::create_directories(TestRoot() / L"驱动");
    WriteFile(TestRoot() / L"驱动" / L"a.txt");
    fs::create_directories(TestRoot() / L"卸载工具");

    const std::vector<fs::path> folders = {withFile, withFolder, lookalike, spaced};
    for (const fs::path& folder : folders) {
        ASSERT_TRUE(StartSelfRemovalOf(folder.wstring(), kFiles)) << folder.string();
    }
    WaitForCommands(folders);

    EXPECT_TRUE(fs::is_regular_file(withFile / L"我的 文件.txt"));
    EXPECT_FALSE(AnyShippedFileLeft(withFile));
    EXPECT_TRUE(fs::is_regular_file(withFolder / L"照片" / L"1.jpg"));
    EXPECT_FALSE(AnyShippedFileLeft(withFolder));
    EXPECT_TRUE(fs::is_regular_file(lookalike / L"ParsingString.xml" / L"inside.txt"));
    EXPECT_FALSE(fs::exists(lookalike / L"devcon.exe"));
    EXPECT_FALSE(fs::exists(spaced));
    EXPECT_TRUE(fs::is_regular_file(TestRoot() / L"驱动" / L"a.txt"));
    EXPECT_TRUE(fs::is_directory(TestRoot() / L"卸载工具"));
}

TEST_F(SelfRemovalWin, AFolderNamingASetVariableKeepsTheTool) {
    const fs::path folder = MakeToolFolder(TestRoot() / L"a %PATH% b");
    // Nothing is started, so nothing can go astray.
    EXPECT_FALSE(StartSelfRemovalOf(folder.wstring(), kFiles));
    for (const std::wstring& file : kFiles) {
        EXPECT_TRUE(fs::is_regular_file(folder / file));
    }
}

TEST_F(SelfRemovalWin, DriveRootsAreNeverTouched) {
    const std::wstring root = TestRoot().root_name().wstring();
    EXPECT_FALSE(StartSelfRemovalOf(root, kFiles));
    EXPECT_FALSE(StartSelfRemovalOf(root + L"\\", kFiles));
}

} // namespace
