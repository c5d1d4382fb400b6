// The self-removal run by the real command interpreter: awkward folder names, the user's files beside the tool,
// names that are folders or links leading elsewhere, percent pairs, and another instance running from the folder.
#include "shell/SelfRemoval.h"

#include "PlantedLinks.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using namespace planted;

const std::vector<std::wstring> kFiles(std::begin(kShippedFiles), std::end(kShippedFiles));

fs::path ModulePath() {
    wchar_t module[MAX_PATH];
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    return module;
}

// Beside the program folder, inside the test's own work folder (made afresh for every run), one per test case:
// nothing is ever cleared away, since under Wine deleting a Unix link to a file deletes the file it leads to.
fs::path TestRoot() {
    return ModulePath().parent_path().parent_path() / L"removal" /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

void WriteFile(const fs::path& path, const std::string& text = "x") {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::path MakeToolFolder(const fs::path& folder) {
    fs::create_directories(folder);
    for (const std::wstring& file : kFiles) {
        WriteFile(folder / file);
    }
    return folder;
}

bool AllShippedFilesThere(const fs::path& folder) {
    for (const std::wstring& file : kFiles) {
        if (!fs::is_regular_file(folder / file)) {
            return false;
        }
    }
    return true;
}

bool AnyShippedFileLeft(const fs::path& folder) {
    for (const std::wstring& file : kFiles) {
        if (fs::is_regular_file(folder / file)) {
            return true;
        }
    }
    return false;
}

// Waits until the started commands have had their time: each of `vanishing` is gone (the command waits about
// three seconds, then deletes), and a little longer for commands started together with them.
void WaitForCommands(const std::vector<fs::path>& vanishing) {
    for (int i = 0; i < 300; ++i) {
        bool busy = false;
        for (const fs::path& folder : vanishing) {
            busy = busy || fs::exists(folder);
        }
        if (!busy) {
            break;
        }
        ::Sleep(100);
    }
    ::Sleep(1500);
}

class SelfRemovalWin : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(TestRoot()); }
};

TEST_F(SelfRemovalWin, FoldersHoldingOnlyTheToolDisappearWhateverTheirNames) {
    const std::vector<std::wstring> names = {L"程序 A&B^C%D 测试", L"100% & (1) !x! ^^", L"工具)(&^%"};
    std::vector<fs::path> folders;
    for (const std::wstring& name : names) {
        folders.push_back(MakeToolFolder(TestRoot() / name));
        ASSERT_TRUE(StartSelfRemovalOf(folders.back().wstring(), kFiles)) << folders.back().string();
    }
    // The command first waits for the program to end.
    EXPECT_TRUE(fs::is_directory(folders.front()));
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

    for (const fs::path& folder : {withFile, withFolder, lookalike, spaced}) {
        ASSERT_TRUE(StartSelfRemovalOf(folder.wstring(), kFiles)) << folder.string();
    }
    WaitForCommands({spaced});

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

TEST_F(SelfRemovalWin, ShippedNamesThatAreLinksLeadNowhere) {
    // What the links lead to: a file and a folder of the user's outside the program folder.
    const fs::path elsewhere = TestRoot() / L"用户 数据";
    fs::create_directories(elsewhere / L"文件夹");
    WriteFile(elsewhere / L"victim.exe", "user program");
    WriteFile(elsewhere / L"文件夹" / L"a.txt", "user file");

    const fs::path folder = TestRoot() / L"tool & links";
    fs::create_directories(folder);
    WriteFile(folder / L"TolvikDriverUninstallTool.exe");
    WriteFile(folder / L"devconx64.exe");
    ASSERT_TRUE(PlantLink(folder / L"devcon.exe", elsewhere / L"victim.exe", false));
    ASSERT_TRUE(PlantLink(folder / L"ParsingString.xml", elsewhere / L"文件夹", true));
    ASSERT_TRUE(PlantLink(folder / L"VarunelFeedbackInformation.dll", elsewhere / L"文件夹" / L"a.txt", false));

    ASSERT_TRUE(StartSelfRemovalOf(folder.wstring(), kFiles));
    ::Sleep(6000); // the command's wait and its deletions; the links keep the folder, so nothing else tells

    EXPECT_EQ(ReadFile(elsewhere / L"victim.exe"), "user program");
    EXPECT_EQ(ReadFile(elsewhere / L"文件夹" / L"a.txt"), "user file");
    // The tool's own plain files went; the links stay, and with them the folder.
    EXPECT_FALSE(fs::exists(folder / L"TolvikDriverUninstallTool.exe"));
    EXPECT_FALSE(fs::exists(folder / L"devconx64.exe"));
    EXPECT_TRUE(fs::exists(folder / L"devcon.exe"));
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(SelfRemovalWin, ANameThatBecomesAFolderDuringTheWaitIsNotEntered) {
    // "del" of a folder, or of a link to one, deletes the files inside it, under Windows and Wine alike.
    const fs::path elsewhere = TestRoot() / L"用户 数据";
    fs::create_directories(elsewhere);
    WriteFile(elsewhere / L"a.txt", "user file");
    const fs::path folder = MakeToolFolder(TestRoot() / L"swapped & 工具");
    ASSERT_TRUE(StartSelfRemovalOf(folder.wstring(), kFiles));
    // The program's own deletions are done; the command still waits, and then meets a folder and a link to one
    // where the tool's files were.
    EXPECT_FALSE(AnyShippedFileLeft(folder));
    fs::create_directories(folder / L"devcon.exe");
    WriteFile(folder / L"devcon.exe" / L"user.txt", "user file");
    ASSERT_TRUE(PlantLink(folder / L"TolvikDriverUninstallTool.exe", elsewhere, true));
    ::Sleep(6000);
    EXPECT_EQ(ReadFile(folder / L"devcon.exe" / L"user.txt"), "user file");
    EXPECT_EQ(ReadFile(elsewhere / L"a.txt"), "user file");
}

TEST_F(SelfRemovalWin, AnyPercentPairInTheFolderKeepsTheTool) {
    // Set, unset or made up by the interpreter as it is read: none of them is risked.
    for (const wchar_t* name : {L"a %PATH% b", L"%CD%", L"x %ERRORLEVEL%", L"%RANDOM%", L"a %UNSET_NAME% b", L"x%%y"}) {
        const fs::path folder = MakeToolFolder(TestRoot() / name);
        EXPECT_FALSE(StartSelfRemovalOf(folder.wstring(), kFiles)) << folder.string();
        // Nothing is started, so nothing can go astray.
        EXPECT_TRUE(AllShippedFilesThere(folder)) << folder.string();
    }
}

TEST_F(SelfRemovalWin, NothingGoesWhileAnotherInstanceRunsFromTheFolder) {
    const fs::path folder = MakeToolFolder(TestRoot() / L"二 instances");
    // The other instance: a copy of this program under the tool's name, waiting until it is told to end.
    ASSERT_TRUE(::CopyFileW(ModulePath().wstring().c_str(),
                            (folder / L"TolvikDriverUninstallTool.exe").wstring().c_str(), FALSE));
    const fs::path started = TestRoot() / L"instance-started";
    const fs::path stop = TestRoot() / L"instance-stop";
    ::SetEnvironmentVariableW(L"TOLVIK_TEST_INSTANCE_STARTED", started.wstring().c_str());
    ::SetEnvironmentVariableW(L"TOLVIK_TEST_INSTANCE_STOP", stop.wstring().c_str());
    const HANDLE instance = Start(folder / L"TolvikDriverUninstallTool.exe",
                                  L"--gtest_also_run_disabled_tests --gtest_filter=InstanceStandIn.DISABLED_Waits");
    ASSERT_NE(instance, nullptr);
    for (int i = 0; i < 300 && !fs::exists(started); ++i) {
        ::Sleep(100);
    }
    ASSERT_TRUE(fs::exists(started));

    EXPECT_FALSE(StartSelfRemovalOf(folder.wstring(), kFiles));
    ::Sleep(4000); // had anything been started, it would have deleted by now
    EXPECT_TRUE(AllShippedFilesThere(folder));

    WriteFile(stop);
    EXPECT_EQ(::WaitForSingleObject(instance, 30000), WAIT_OBJECT_0);
    ::CloseHandle(instance);
    // Once it has ended, the folder goes.
    EXPECT_TRUE(StartSelfRemovalOf(folder.wstring(), kFiles));
    WaitForCommands({folder});
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(SelfRemovalWin, DriveRootsAreNeverTouched) {
    const std::wstring root = TestRoot().root_name().wstring();
    EXPECT_FALSE(StartSelfRemovalOf(root, kFiles));
    EXPECT_FALSE(StartSelfRemovalOf(root + L"\\", kFiles));
}

// Run only as the other instance of NothingGoesWhileAnotherInstanceRunsFromTheFolder.
TEST(InstanceStandIn, DISABLED_Waits) {
    wchar_t started[MAX_PATH] = {};
    wchar_t stop[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableW(L"TOLVIK_TEST_INSTANCE_STARTED", started, MAX_PATH), 0u);
    ASSERT_GT(::GetEnvironmentVariableW(L"TOLVIK_TEST_INSTANCE_STOP", stop, MAX_PATH), 0u);
    WriteFile(started);
    for (int i = 0; i < 600 && !fs::exists(stop); ++i) {
        ::Sleep(100);
    }
}

} // namespace
