// The feedback bridge over a fake library: where it loads from, the order entry points are resolved in, what
// it keeps after a failure, the arguments it passes, and the start-up steps with their failure texts.
#include "feedback/FeedbackBridge.h"

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// What the fake library's entry points were called with, in order: one line per call.
std::vector<std::wstring> g_calls;
int g_answer = 1;

std::wstring Text(const wchar_t* text) {
    return text ? std::wstring(text) : L"(null)";
}

int TOLVIK_FEEDBACK_CALL FakeInit() {
    g_calls.push_back(L"InitFreedbackDll");
    return g_answer;
}
int TOLVIK_FEEDBACK_CALL FakeFeedbackQuestion(const wchar_t* toolId, const wchar_t* version) {
    g_calls.push_back(L"FeedbackQuestion " + Text(toolId) + L" " + Text(version));
    return g_answer;
}
int TOLVIK_FEEDBACK_CALL FakeOpenUrl(const wchar_t* address) {
    g_calls.push_back(L"OpenUrl " + Text(address));
    return g_answer;
}
int TOLVIK_FEEDBACK_CALL FakeNeverCalled() {
    g_calls.push_back(L"an entry point that is never called");
    return g_answer;
}
int TOLVIK_FEEDBACK_CALL FakeCustomerFeedbackEx(const wchar_t* toolId, const wchar_t* version, int choice,
                                                const wchar_t* timeText) {
    g_calls.push_back(L"CustomerFeedbackEx " + Text(toolId) + L" " + Text(version) + L" " + std::to_wstring(choice) +
                      L" " + Text(timeText));
    return g_answer;
}
int TOLVIK_FEEDBACK_CALL FakeGetToolIsNewVersion(const wchar_t* toolId, const wchar_t* version) {
    g_calls.push_back(L"GetToolIsNewVersion " + Text(toolId) + L" " + Text(version));
    return g_answer;
}
int TOLVIK_FEEDBACK_CALL FakeOpenToolDownUrl() {
    g_calls.push_back(L"OpenToolDownUrl");
    return g_answer;
}

const std::vector<std::string> kNames = {"InitFreedbackDll",
                                         "FeedbackQuestion",
                                         "OpenUrl",
                                         "GetInterNetState",
                                         "CustomerFeedback",
                                         "CustomerFeedbackEx",
                                         "WriteCustomerFeedbackInfoFile",
                                         "GetToolIsNewVersion",
                                         "OpenToolDownUrl"};

// The state of the fake library, kept by the test while the bridge owns the module.
struct FakeLibrary {
    bool loadable = true;
    std::set<std::string> missing;
    std::vector<std::wstring> loadedPaths;
    std::vector<std::string> asked;
    bool loaded = false;
};

class FakeModule : public ILibraryModule {
public:
    explicit FakeModule(FakeLibrary& library) : m_library(library) {}

    bool Load(const std::wstring& path) override {
        m_library.loadedPaths.push_back(path);
        m_library.loaded = m_library.loadable;
        return m_library.loaded;
    }
    void Unload() override { m_library.loaded = false; }
    LibraryProc Find(const char* name) const override {
        m_library.asked.push_back(name);
        if (!m_library.loaded || m_library.missing.count(name))
            return nullptr;
        static const std::map<std::string, LibraryProc> procs = {
            {"InitFreedbackDll", reinterpret_cast<LibraryProc>(&FakeInit)},
            {"FeedbackQuestion", reinterpret_cast<LibraryProc>(&FakeFeedbackQuestion)},
            {"OpenUrl", reinterpret_cast<LibraryProc>(&FakeOpenUrl)},
            {"GetInterNetState", reinterpret_cast<LibraryProc>(&FakeNeverCalled)},
            {"CustomerFeedback", reinterpret_cast<LibraryProc>(&FakeNeverCalled)},
            {"CustomerFeedbackEx", reinterpret_cast<LibraryProc>(&FakeCustomerFeedbackEx)},
            {"WriteCustomerFeedbackInfoFile", reinterpret_cast<LibraryProc>(&FakeNeverCalled)},
            {"GetToolIsNewVersion", reinterpret_cast<LibraryProc>(&FakeGetToolIsNewVersion)},
            {"OpenToolDownUrl", reinterpret_cast<LibraryProc>(&FakeOpenToolDownUrl)}};
        const auto found = procs.find(name);
        return found == procs.end() ? nullptr : found->second;
    }

private:
    FakeLibrary& m_library;
};

class FeedbackBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_answer = 1;
    }

    // Every entry point the bridge offers, once.
    void CallEverything() {
        bridge.InitFreedbackDll();
        bridge.FeedbackQuestion();
        bridge.OpenUrl(kKnowledgeBaseArticle);
        bridge.CustomerFeedbackEx(FeedbackChoice::NotSolved, L"1700000000");
        bridge.GetToolIsNewVersion();
        bridge.OpenToolDownUrl();
    }

    FakeLibrary library;
    FeedbackBridge bridge{std::make_unique<FakeModule>(library)};
};

TEST_F(FeedbackBridgeTest, LoadsTheLibraryFromTheProgramFolderWithAllNineEntryPointsInOrder) {
    const FeedbackLoad load = bridge.Load(L"C:\\工具\\程序 A&B");
    EXPECT_EQ(load.status, FeedbackLoadStatus::Loaded);
    EXPECT_EQ(load.missingEntryPoint, "");
    EXPECT_TRUE(bridge.IsLoaded());
    EXPECT_EQ(library.loadedPaths, std::vector<std::wstring>{L"C:\\工具\\程序 A&B\\VarunelFeedbackInformation.dll"});
    EXPECT_EQ(library.asked, kNames);
    EXPECT_TRUE(library.loaded);
}

TEST_F(FeedbackBridgeTest, ADriveRootFolderGetsOneBackslash) {
    EXPECT_EQ(FeedbackLibraryPath(L"D:"), L"D:\\VarunelFeedbackInformation.dll");
    EXPECT_EQ(FeedbackLibraryPath(L"D:\\"), L"D:\\VarunelFeedbackInformation.dll");
}

TEST_F(FeedbackBridgeTest, AnUnknownProgramFolderLoadsNothingFromElsewhere) {
    const FeedbackLoad load = bridge.Load(L"");
    EXPECT_EQ(load.status, FeedbackLoadStatus::LibraryMissing);
    EXPECT_EQ(load.missingEntryPoint, "InitFreedbackDll");
    EXPECT_TRUE(library.loadedPaths.empty());
    EXPECT_FALSE(bridge.IsLoaded());
}

TEST_F(FeedbackBridgeTest, ALibraryThatDoesNotLoadCountsAsAMissingFirstName) {
    library.loadable = false;
    const FeedbackLoad load = bridge.Load(L"C:\\Tool");
    EXPECT_EQ(load.status, FeedbackLoadStatus::LibraryMissing);
    EXPECT_EQ(load.missingEntryPoint, "InitFreedbackDll");
    EXPECT_FALSE(bridge.IsLoaded());
    EXPECT_TRUE(library.asked.empty());
}

TEST_F(FeedbackBridgeTest, EachMissingEntryPointStopsTheLoadAndReleasesTheLibrary) {
    for (size_t i = 0; i < kNames.size(); ++i) {
        SCOPED_TRACE(kNames[i]);
        FakeLibrary lacking;
        lacking.missing = {kNames[i]};
        FeedbackBridge lackingBridge(std::make_unique<FakeModule>(lacking));
        const FeedbackLoad load = lackingBridge.Load(L"C:\\Tool");
        EXPECT_EQ(load.status, FeedbackLoadStatus::EntryPointMissing);
        EXPECT_EQ(load.missingEntryPoint, kNames[i]);
        EXPECT_EQ(lacking.asked, std::vector<std::string>(kNames.begin(), kNames.begin() + i + 1))
            << "resolution stops at the first missing name";
        EXPECT_FALSE(lacking.loaded) << "a library missing an entry point is not kept";
        EXPECT_FALSE(lackingBridge.IsLoaded());
    }
}

TEST_F(FeedbackBridgeTest, PassesTheToolIdentityAndArgumentsAndReturnsTheAnswers) {
    ASSERT_EQ(bridge.Load(L"C:\\Tool").status, FeedbackLoadStatus::Loaded);
    g_answer = 7;
    EXPECT_EQ(bridge.InitFreedbackDll(), 7);
    EXPECT_EQ(bridge.FeedbackQuestion(), 7);
    EXPECT_EQ(bridge.OpenUrl(kKnowledgeBaseHome), 7);
    EXPECT_EQ(bridge.CustomerFeedbackEx(FeedbackChoice::Solved, L"1700000000"), 7);
    EXPECT_EQ(bridge.CustomerFeedbackEx(FeedbackChoice::NotSolved, L"1"), 7);
    EXPECT_EQ(bridge.CustomerFeedbackEx(FeedbackChoice::Closed, L"2"), 7);
    g_answer = 3;
    EXPECT_EQ(bridge.GetToolIsNewVersion(), 3);
    EXPECT_EQ(bridge.OpenToolDownUrl(), 3);
    // Exactly these calls: the three entry points the tool only requires are never called.
    EXPECT_EQ(g_calls, (std::vector<std::wstring>{
                           L"InitFreedbackDll",
                           L"FeedbackQuestion 10102 1.1.21.104",
                           L"OpenUrl " + std::wstring(kKnowledgeBaseHome),
                           L"CustomerFeedbackEx 10102 1.1.21.104 1 1700000000",
                           L"CustomerFeedbackEx 10102 1.1.21.104 2 1",
                           L"CustomerFeedbackEx 10102 1.1.21.104 3 2",
                           L"GetToolIsNewVersion 10102 1.1.21.104",
                           L"OpenToolDownUrl",
                       }));
}

TEST_F(FeedbackBridgeTest, ABridgeWithoutALibraryAnswersZeroAndCallsNothing) {
    CallEverything();
    EXPECT_TRUE(g_calls.empty());

    library.missing = {"OpenToolDownUrl"};
    bridge.Load(L"C:\\Tool");
    CallEverything();
    EXPECT_TRUE(g_calls.empty()) << "nothing of a half-resolved library is used";
    EXPECT_EQ(bridge.InitFreedbackDll(), 0);
    EXPECT_EQ(bridge.GetToolIsNewVersion(), 0);
}

TEST_F(FeedbackBridgeTest, LoadingAgainReplacesWhatWasLoaded) {
    ASSERT_EQ(bridge.Load(L"C:\\One").status, FeedbackLoadStatus::Loaded);
    library.missing = {"CustomerFeedback"};
    EXPECT_EQ(bridge.Load(L"C:\\Two").status, FeedbackLoadStatus::EntryPointMissing);
    EXPECT_FALSE(bridge.IsLoaded());
    EXPECT_FALSE(library.loaded);
    library.missing.clear();
    EXPECT_EQ(bridge.Load(L"C:\\Three").status, FeedbackLoadStatus::Loaded);
    EXPECT_EQ(library.loadedPaths.back(), L"C:\\Three\\VarunelFeedbackInformation.dll");
}

TEST_F(FeedbackBridgeTest, StartLoadsThenInitialises) {
    EXPECT_EQ(StartFeedback(bridge, L"C:\\Tool"), FeedbackStart::Ready);
    EXPECT_EQ(g_calls, std::vector<std::wstring>{L"InitFreedbackDll"});
    EXPECT_FALSE(StartFeedbackFailure(FeedbackStart::Ready).has_value());

    g_calls.clear();
    g_answer = -1;
    EXPECT_EQ(StartFeedback(bridge, L"C:\\Tool"), FeedbackStart::Ready) << "only 0 means failure";
}

TEST_F(FeedbackBridgeTest, AnInitialisationAnswering0FailsWithCode6) {
    g_answer = 0;
    EXPECT_EQ(StartFeedback(bridge, L"C:\\Tool"), FeedbackStart::InitFailed);
    const auto failure = StartFeedbackFailure(FeedbackStart::InitFailed);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->logEntry, std::u8string_view(u8"工具初始化失败6"));
    EXPECT_EQ(failure->message, std::wstring_view(L"工具初始化失败"));
}

TEST_F(FeedbackBridgeTest, ALoadFailureFailsWithCode7WithoutInitialising) {
    library.missing = {"OpenToolDownUrl"};
    EXPECT_EQ(StartFeedback(bridge, L"C:\\Tool"), FeedbackStart::LoadFailed);
    library.missing.clear();
    library.loadable = false;
    EXPECT_EQ(StartFeedback(bridge, L"C:\\Tool"), FeedbackStart::LoadFailed);
    EXPECT_TRUE(g_calls.empty());
    const auto failure = StartFeedbackFailure(FeedbackStart::LoadFailed);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->logEntry, std::u8string_view(u8"工具初始化失败7"));
    EXPECT_EQ(failure->message, std::wstring_view(L"工具初始化失败"));
}

TEST(FeedbackAnswers, OnlyThreeMeansANewVersion) {
    EXPECT_TRUE(IsNewVersionAnswer(3));
    for (const int answer : {0, 1, 2, 4, -3, 30})
        EXPECT_FALSE(IsNewVersionAnswer(answer)) << answer;
}

TEST(FeedbackAnswers, TimeTextIsTheDecimalSecondCount) {
    EXPECT_EQ(FeedbackTimeText(0), L"0");
    EXPECT_EQ(FeedbackTimeText(1700000000), L"1700000000");
    EXPECT_EQ(FeedbackTimeText(2147483648LL), L"2147483648") << "still right after January 2038";

    const std::int64_t before = std::time(nullptr);
    const std::wstring now = CurrentFeedbackTimeText();
    const std::int64_t after = std::time(nullptr);
    ASSERT_FALSE(now.empty());
    EXPECT_EQ(now.find_first_not_of(L"0123456789"), std::wstring::npos) << "digits only";
    EXPECT_GE(std::stoll(now), before);
    EXPECT_LE(std::stoll(now), after);
}

} // namespace
