// The feedback bridge with the real stand-in library under Wine. Three runs, each from its own program folder:
// FeedbackLibrary.* with VarunelFeedbackInformation.dll beside the program, FeedbackMissing.* without it, and
// FeedbackNoOpen.* with a build of it that lacks OpenToolDownUrl. The library keeps its settings and journal
// in the folder TOLVIK_FEEDBACK_DIR names; every case gives it a fresh one outside the program folder.
#include "console/WindowsConsole.h"
#include "feedback/FeedbackBridge.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

// The test's work folder, the parent of the program folder.
std::wstring WorkFolder() {
    const std::wstring folder = ProgramFolder();
    return folder.substr(0, folder.rfind(L'\\'));
}

std::wstring LibraryPath() {
    return ProgramFolder() + L"\\VarunelFeedbackInformation.dll";
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    std::string text(
        static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    return text;
}

std::string Bytes(std::u8string_view text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string ReadBytes(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Waits for a file that another process creates; false when it does not appear within a minute.
bool WaitForFile(const std::wstring& path) {
    for (int i = 0; i < 600; ++i) {
        if (Exists(path))
            return true;
        Sleep(100);
    }
    return false;
}

// The library's folder for one case: created fresh, named in TOLVIK_FEEDBACK_DIR while the case runs.
class LibraryFolder {
public:
    explicit LibraryFolder(const std::string& suffix = {}) {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        const std::string name = std::string(info->test_suite_name()) + "." + info->name() + suffix;
        m_path = WorkFolder() + L"\\feedback-" + std::wstring(name.begin(), name.end());
        CreateDirectoryW(m_path.c_str(), nullptr);
        DeleteFileW(Journal().c_str());
        DeleteFileW(Settings().c_str());
        SetEnvironmentVariableW(L"TOLVIK_FEEDBACK_DIR", m_path.c_str());
    }
    ~LibraryFolder() { SetEnvironmentVariableW(L"TOLVIK_FEEDBACK_DIR", nullptr); }
    LibraryFolder(const LibraryFolder&) = delete;
    LibraryFolder& operator=(const LibraryFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring Journal() const { return m_path + L"\\journal.txt"; }
    std::wstring Settings() const { return m_path + L"\\settings.ini"; }

    void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value.c_str(), Settings().c_str()));
    }

    std::string JournalBytes() const { return ReadBytes(Journal()); }

    // The journal's lines without their CR LF.
    std::vector<std::string> JournalLines() const {
        std::vector<std::string> lines;
        const std::string bytes = JournalBytes();
        size_t start = 0;
        for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(bytes.substr(start, end - start));
        EXPECT_EQ(start, bytes.size()) << "every line ends in CR LF";
        return lines;
    }

private:
    std::wstring m_path;
};

template <typename Proc> Proc Entry(const wchar_t* library, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(library), name)));
}

// ---- with the library beside the program ----

TEST(FeedbackLibrary, LoadsTheLibraryBesideTheProgramAndReleasesItWithTheBridge) {
    LibraryFolder folder;
    {
        FeedbackBridge bridge;
        const FeedbackLoad load = bridge.Load(GetProgramFolder());
        EXPECT_EQ(load.status, FeedbackLoadStatus::Loaded);
        EXPECT_TRUE(bridge.IsLoaded());
        const HMODULE module = GetModuleHandleW(LibraryPath().c_str());
        ASSERT_NE(module, nullptr);
        wchar_t loaded[MAX_PATH] = {};
        GetModuleFileNameW(module, loaded, MAX_PATH);
        EXPECT_EQ(CompareStringOrdinal(loaded, -1, LibraryPath().c_str(), -1, TRUE), CSTR_EQUAL);
    }
    EXPECT_EQ(GetModuleHandleW(LibraryPath().c_str()), nullptr) << "the bridge was the library's one owner";
    EXPECT_EQ(folder.JournalBytes(), "") << "loading alone calls nothing";
}

TEST(FeedbackLibrary, StartsAndJournalsEveryEntryPointWithItsArguments) {
    LibraryFolder folder;
    const std::wstring download = L"https://下载.example/tool?id=10102&v=1";
    folder.Set(L"update", L"download", download);

    FeedbackBridge bridge;
    ASSERT_EQ(StartFeedback(bridge), FeedbackStart::Ready);
    EXPECT_EQ(bridge.FeedbackQuestion(), 1);
    EXPECT_EQ(bridge.OpenUrl(kKnowledgeBaseArticle), 1);
    EXPECT_EQ(bridge.OpenUrl(kKnowledgeBaseHome), 1);
    EXPECT_EQ(bridge.CustomerFeedbackEx(FeedbackChoice::Solved, L"1700000000"), 1);
    const std::wstring now = CurrentFeedbackTimeText();
    EXPECT_EQ(bridge.CustomerFeedbackEx(FeedbackChoice::Closed, now), 1);
    EXPECT_FALSE(IsNewVersionAnswer(bridge.GetToolIsNewVersion()));
    EXPECT_EQ(bridge.OpenToolDownUrl(), 1);

    // The three the tool never calls exist with these signatures.
    const std::wstring path = LibraryPath();
    const wchar_t* library = path.c_str();
    EXPECT_EQ(Entry<int(__cdecl*)()>(library, "GetInterNetState")(), 1);
    EXPECT_EQ(Entry<int(__cdecl*)(const wchar_t*, const wchar_t*, int)>(library, "CustomerFeedback")(L"10102",
                                                                                                     L"1.1.21.104", 2),
              1);
    EXPECT_EQ(Entry<int(__cdecl*)(const wchar_t*, const wchar_t*, const wchar_t*)>(
                  library, "WriteCustomerFeedbackInfoFile")(L"10102", L"1.1.21.104", L"问题已解决\t第二行\n"),
              1);

    const std::string article = Utf8(kKnowledgeBaseArticle);
    const std::string home = Utf8(kKnowledgeBaseHome);
    const std::string expected =
        "InitFreedbackDll\r\n"
        "FeedbackQuestion\t10102\t1.1.21.104\r\n"
        "OpenUrl\t" +
        article +
        "\r\n"
        "Open\t" +
        article +
        "\trecorded\r\n"
        "OpenUrl\t" +
        home +
        "\r\n"
        "Open\t" +
        home +
        "\trecorded\r\n"
        "CustomerFeedbackEx\t10102\t1.1.21.104\t1\t1700000000\r\n"
        "CustomerFeedbackEx\t10102\t1.1.21.104\t3\t" +
        Utf8(now) +
        "\r\n"
        "GetToolIsNewVersion\t10102\t1.1.21.104\r\n"
        "OpenToolDownUrl\r\n" +
        Bytes(u8"Open\thttps://下载.example/tool?id=10102&v=1\trecorded\r\n") +
        "GetInterNetState\r\n"
        "CustomerFeedback\t10102\t1.1.21.104\t2\r\n" +
        Bytes(u8"WriteCustomerFeedbackInfoFile\t10102\t1.1.21.104\t问题已解决\\t第二行\\n\r\n");
    EXPECT_EQ(folder.JournalBytes(), expected) << "UTF-8, one CR LF line per call";
}

TEST(FeedbackLibrary, AnInitialisationSetToFailStopsTheStartWithCode6) {
    LibraryFolder folder;
    folder.Set(L"init", L"result", L"0");
    FeedbackBridge bridge;
    const FeedbackStart start = StartFeedback(bridge);
    EXPECT_EQ(start, FeedbackStart::InitFailed);
    const auto failure = StartFeedbackFailure(start);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->logEntry, std::u8string_view(u8"工具初始化失败6"));
    EXPECT_EQ(failure->message, std::wstring_view(L"工具初始化失败"));
    EXPECT_EQ(folder.JournalLines(), std::vector<std::string>{"InitFreedbackDll"});
}

TEST(FeedbackLibrary, AnswersThreeOnlyWhenANewerVersionIsConfigured) {
    struct Row {
        const wchar_t* key;
        const wchar_t* value;
        bool newer;
    };
    const Row rows[] = {
        {nullptr, nullptr, false},         {L"latest", L"1.1.21.104", false}, {L"latest", L"1.1.21.103", false},
        {L"latest", L"1.0", false},        {L"latest", L"1.1.21.105", true},  {L"latest", L"1.2", true},
        {L"latest", L"1.1.21.1000", true}, {L"latest", L"unknown", false},    {L"newer", L"1", true},
        {L"newer", L"0", false},
    };
    int number = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.key ? Utf8(row.key) : "nothing") << "="
                                        << (row.value ? Utf8(row.value) : ""));
        LibraryFolder folder("-" + std::to_string(++number));
        if (row.key)
            folder.Set(L"update", row.key, row.value);
        FeedbackBridge bridge;
        ASSERT_EQ(StartFeedback(bridge), FeedbackStart::Ready);
        const int answer = bridge.GetToolIsNewVersion();
        EXPECT_EQ(IsNewVersionAnswer(answer), row.newer) << "answer " << answer;
        EXPECT_EQ(answer == 3, row.newer);
    }
}

TEST(FeedbackLibrary, OpensAddressesWithTheDefaultHandlerOnlyWhenAllowed) {
    LibraryFolder folder;
    FeedbackBridge bridge;
    ASSERT_EQ(StartFeedback(bridge), FeedbackStart::Ready);

    // A command file as the address: the system's "open" runs it, and it leaves a mark.
    auto script = [&](const std::wstring& name) {
        const std::wstring file = folder.Path() + L"\\" + name + L".cmd";
        const std::string text = "@echo opened> \"" + Utf8(folder.Path() + L"\\" + name + L".mark") + "\"\r\n";
        const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(handle);
        return file;
    };
    const std::wstring recorded = script(L"recorded");
    const std::wstring launched = script(L"launched");

    // Tests name a folder, so by default addresses are only recorded.
    EXPECT_EQ(bridge.OpenUrl(recorded), 1);
    folder.Set(L"open", L"launch", L"1");
    EXPECT_EQ(bridge.OpenUrl(launched), 1);
    EXPECT_TRUE(WaitForFile(folder.Path() + L"\\launched.mark")) << "the launched address was opened";
    EXPECT_FALSE(Exists(folder.Path() + L"\\recorded.mark")) << "the recorded address was not";
    EXPECT_EQ(bridge.OpenUrl(L""), 0) << "an empty address opens nothing";

    const std::vector<std::string> lines = folder.JournalLines();
    ASSERT_EQ(lines.size(), 7u);
    // The journal writes a path's backslashes doubled.
    auto journalled = [](const std::wstring& path) {
        std::string text;
        for (const char c : Utf8(path))
            text += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return text;
    };
    EXPECT_EQ(lines[2], "Open\t" + journalled(recorded) + "\trecorded");
    EXPECT_EQ(lines[4], "Open\t" + journalled(launched) + "\tlaunched");
    EXPECT_EQ(lines[6], "Open\t\trefused");
}

TEST(FeedbackLibrary, WithoutAFolderSettingItKeepsItsJournalInTheApplicationDataFolder) {
    SetEnvironmentVariableW(L"TOLVIK_FEEDBACK_DIR", nullptr);
    FeedbackBridge bridge;
    ASSERT_EQ(bridge.Load(GetProgramFolder()).status, FeedbackLoadStatus::Loaded);
    // A mark of this run, so other runs journalling there at the same time do not matter.
    const std::wstring mark = L"run-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
    const auto customerFeedback =
        Entry<int(__cdecl*)(const wchar_t*, const wchar_t*, int)>(LibraryPath().c_str(), "CustomerFeedback");
    ASSERT_NE(customerFeedback, nullptr);
    EXPECT_EQ(customerFeedback(mark.c_str(), L"1.1.21.104", 1), 1);

    wchar_t common[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, common, CSIDL_COMMON_APPDATA, FALSE));
    const std::string journal = ReadBytes(std::wstring(common) + L"\\TolvikFeedbackLibrary\\journal.txt");
    EXPECT_NE(journal.find("CustomerFeedback\t" + Utf8(mark) + "\t1.1.21.104\t1\r\n"), std::string::npos);
}

// ---- without the library ----

TEST(FeedbackMissing, NoLibraryFailsTheStartWithCode7) {
    LibraryFolder folder;
    ASSERT_FALSE(Exists(LibraryPath()));
    FeedbackBridge bridge;
    const FeedbackLoad load = bridge.Load(GetProgramFolder());
    EXPECT_EQ(load.status, FeedbackLoadStatus::LibraryMissing);
    EXPECT_EQ(load.missingEntryPoint, "InitFreedbackDll");

    const FeedbackStart start = StartFeedback(bridge);
    EXPECT_EQ(start, FeedbackStart::LoadFailed);
    const auto failure = StartFeedbackFailure(start);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->logEntry, std::u8string_view(u8"工具初始化失败7"));
    EXPECT_EQ(failure->message, std::wstring_view(L"工具初始化失败"));
    EXPECT_EQ(bridge.OpenUrl(kKnowledgeBaseHome), 0);
    EXPECT_EQ(bridge.GetToolIsNewVersion(), 0);
}

TEST(FeedbackMissing, AFileThatIsNoLibraryCountsAsMissing) {
    LibraryFolder folder;
    const HANDLE file = CreateFileW(LibraryPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const char text[] = "not a library";
    DWORD written = 0;
    WriteFile(file, text, sizeof text, &written, nullptr);
    CloseHandle(file);

    FeedbackBridge bridge;
    EXPECT_EQ(bridge.Load(GetProgramFolder()).status, FeedbackLoadStatus::LibraryMissing);
    EXPECT_EQ(StartFeedback(bridge), FeedbackStart::LoadFailed);
    DeleteFileW(LibraryPath().c_str());
}

// ---- with a library that lacks OpenToolDownUrl ----

TEST(FeedbackNoOpen, ALibraryWithoutOpenToolDownUrlFailsTheStartWithCode7) {
    LibraryFolder folder;
    ASSERT_TRUE(Exists(LibraryPath()));
    FeedbackBridge bridge;
    const FeedbackLoad load = bridge.Load(GetProgramFolder());
    EXPECT_EQ(load.status, FeedbackLoadStatus::EntryPointMissing);
    EXPECT_EQ(load.missingEntryPoint, "OpenToolDownUrl");
    EXPECT_FALSE(bridge.IsLoaded());
    EXPECT_EQ(GetModuleHandleW(LibraryPath().c_str()), nullptr) << "a library missing an entry point is not kept";

    const FeedbackStart start = StartFeedback(bridge);
    EXPECT_EQ(start, FeedbackStart::LoadFailed) << "not InitFailed: the library is never initialised";
    EXPECT_EQ(StartFeedbackFailure(start)->logEntry, std::u8string_view(u8"工具初始化失败7"));
    EXPECT_EQ(folder.JournalBytes(), "") << "nothing of the library was called";
}

} // namespace
