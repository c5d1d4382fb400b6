// The self-removal command: which folders it may touch, and what the interpreter is asked to do.
#include "shell/SelfRemoval.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<std::wstring> kFiles(std::begin(kShippedFiles), std::end(kShippedFiles));
const std::wstring kFolder = std::wstring(L"%") + kSelfRemovalFolderVariable + L"%";

std::string Narrow(std::wstring_view text) {
    std::string out;
    for (const wchar_t c : text) {
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

// Folders a user may well start the tool from: blanks, the interpreter's special characters, Chinese, a single
// percent sign, parentheses and exclamation marks.
const std::vector<std::wstring> kAwkwardFolders = {
    L"C:\\Tools",
    L"C:\\Users\\李明\\Downloads\\驱动 卸载工具",
    L"Z:\\tmp\\程序 A&B^C%D 测试",
    L"D:\\100% & (1)\\!tool!",
    L"E:\\^^&&))((\\x",
    L"\\\\server\\share\\tools",
    L"\\\\server\\share\\用户\\新 文件夹",
};

TEST(SelfRemovalFolder, IsWhatComesBeforeTheModulesLastBackslash) {
    EXPECT_EQ(FolderOfModule(L"C:\\a b\\c\\TolvikDriverUninstallTool.exe"), L"C:\\a b\\c");
    EXPECT_EQ(FolderOfModule(L"C:\\TolvikDriverUninstallTool.exe"), L"C:");
    EXPECT_EQ(FolderOfModule(L"\\\\server\\share\\t\\x.exe"), L"\\\\server\\share\\t");
    EXPECT_EQ(FolderOfModule(L"x.exe"), L"");
}

TEST(SelfRemovalFolder, DriveAndShareRootsAndOddPathsAreRefused) {
    const std::wstring refused[] = {
        L"",
        L"C:",
        L"C:\\",
        L"c:\\",
        L"\\",
        L"\\\\",
        L"\\\\server",
        L"\\\\server\\share",
        L"\\\\server\\share\\",
        L"\\\\?\\C:\\tools",
        L"\\\\.\\C:\\tools",
        L"\\\\?\\UNC\\server\\share\\x",
        L"tools",
        L"tools\\x",
        L"C:tools",
        L"1:\\tools",
        L"C:\\tools\\",
        L"C:\\\\tools",
        L"C:\\a\\..",
        L"C:\\a\\..\\b",
        L"C:\\.",
        L"C:\\a\\.\\b",
        L"C:/tools",
        L"C:\\a/b",
        L"C:\\a\\b.",
        L"C:\\a\\b ",
        L"C:\\a:stream",
        L"C:\\a\"b",
        L"C:\\a*",
        L"C:\\a?",
        L"C:\\a|b",
        L"C:\\a\nb",
        // Any pair of percent signs: set, unset or made up as it is read, the interpreter may expand it.
        L"D:\\a %PATH% b\\x",
        L"C:\\%CD%",
        L"C:\\x\\%ERRORLEVEL%",
        L"C:\\%RANDOM%\\t",
        L"C:\\%UNSET_NAME%",
        L"C:\\100%\\50%",
        L"C:\\x%%y",
        L"\\\\server\\share\\%TIME%",
    };
    for (const std::wstring& folder : refused) {
        EXPECT_FALSE(IsRemovableProgramFolder(folder)) << Narrow(folder);
        EXPECT_FALSE(SelfRemovalArguments(folder, kFiles).has_value()) << Narrow(folder);
    }
}

TEST(SelfRemovalFolder, FoldersBelowARootAreAcceptedWhateverTheirCharacters) {
    for (const std::wstring& folder : kAwkwardFolders) {
        EXPECT_TRUE(IsRemovableProgramFolder(folder)) << Narrow(folder);
    }
}

TEST(SelfRemovalFolder, PercentPairsAreTheNamesTheInterpreterCouldExpand) {
    using Names = std::vector<std::wstring_view>;
    EXPECT_EQ(PercentNames(L"C:\\Tools"), Names{});
    EXPECT_EQ(PercentNames(L"D:\\100% & (1)"), Names{});
    EXPECT_EQ(PercentNames(L"D:\\a %PATH% b\\x"), (Names{L"PATH"}));
    // Every pair of neighbours counts: an unset first name leaves its closing sign to open the next one.
    EXPECT_EQ(PercentNames(L"C:\\%a%b%c%"), (Names{L"a", L"b", L"c"}));
    EXPECT_EQ(PercentNames(L"C:\\x%%y"), (Names{L""}));
}

TEST(SelfRemovalFolder, FileNamesMustBePlain) {
    for (const std::wstring& name : kFiles) {
        EXPECT_TRUE(IsPlainFileName(name)) << Narrow(name);
    }
    EXPECT_TRUE(IsPlainFileName(L"驱动 说明 (1)&^!.txt"));
    const std::wstring refused[] = {L"",   L".",      L"..",  L"a\\b", L"..\\x", L"a/b", L"*.*",
                                    L"a?", L"%PATH%", L"a%b", L"a\"b", L"C:x",   L"a.",  L"a "};
    for (const std::wstring& name : refused) {
        EXPECT_FALSE(IsPlainFileName(name)) << Narrow(name);
        EXPECT_FALSE(SelfRemovalArguments(L"C:\\Tools", std::vector<std::wstring>{L"devcon.exe", name}).has_value())
            << Narrow(name);
    }
}

// The commands the interpreter runs: what stands between the quotes after /C, split at the & that lie outside
// quotes.
std::vector<std::wstring> Commands(const std::wstring& arguments) {
    const std::wstring head = L"/C \"";
    const std::size_t start = arguments.find(head);
    EXPECT_NE(start, std::wstring::npos);
    EXPECT_EQ(arguments.back(), L'"');
    const std::wstring body = arguments.substr(start + head.size(), arguments.size() - start - head.size() - 1);
    std::vector<std::wstring> commands(1);
    bool quoted = false;
    for (const wchar_t c : body) {
        if (c == L'"') {
            quoted = !quoted;
        }
        if (c == L'&' && !quoted) {
            commands.emplace_back();
            continue;
        }
        commands.back() += c;
    }
    EXPECT_FALSE(quoted) << "balanced quotes";
    for (std::wstring& command : commands) {
        command.erase(0, command.find_first_not_of(L' '));
        command.erase(command.find_last_not_of(L' ') + 1);
    }
    return commands;
}

TEST(SelfRemovalCommand, WaitsThenDeletesEachShippedFileUnlessItLeadsIntoAFolderThenTheFolderOnlyWhenEmpty) {
    const auto arguments = SelfRemovalArguments(L"C:\\Tools", kFiles);
    ASSERT_TRUE(arguments.has_value());
    // Taken literally between the outer quotes, without AutoRun commands or delayed expansion.
    EXPECT_EQ(arguments->rfind(L"/D /V:OFF /S /C \"", 0), 0u);
    const std::vector<std::wstring> commands = Commands(*arguments);
    ASSERT_EQ(commands.size(), kFiles.size() + 2);
    EXPECT_EQ(commands.front(), L"ping -n 4 127.0.0.1 >nul");
    for (std::size_t i = 0; i < kFiles.size(); ++i) {
        const std::wstring path = kFolder + L"\\" + kFiles[i];
        EXPECT_EQ(commands[i + 1], L"if not exist \"" + path + L"\\*\" del /f /q \"" + path + L"\"");
    }
    EXPECT_EQ(commands.back(), L"rmdir \"" + kFolder + L"\"") << "never /s: the user's files stay";
}

TEST(SelfRemovalCommand, TheFolderNeverStandsInTheCommandText) {
    for (const std::wstring& folder : kAwkwardFolders) {
        const auto arguments = SelfRemovalArguments(folder, kFiles);
        ASSERT_TRUE(arguments.has_value()) << Narrow(folder);
        EXPECT_EQ(arguments->find(folder), std::wstring::npos) << Narrow(folder);
        EXPECT_EQ(*arguments, *SelfRemovalArguments(L"C:\\Tools", kFiles)) << "the same command for every folder";
    }
}

TEST(SelfRemovalCommand, WithNoShippedFileLeftOnlyTheEmptyFolderGoes) {
    const auto arguments = SelfRemovalArguments(L"C:\\Tools", {});
    ASSERT_TRUE(arguments.has_value());
    const std::vector<std::wstring> commands = Commands(*arguments);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands.back(), L"rmdir \"" + kFolder + L"\"");
}

} // namespace
