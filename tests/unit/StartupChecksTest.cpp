// The start-up checks: their order, where they stop, and what a failure logs and shows.
#include "shell/StartupChecks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records which checks ran; the check numbered `failing` (1-7) answers false.
class ScriptedChecks : public IStartupChecks {
public:
    explicit ScriptedChecks(int failing) : m_failing(failing) {}
    std::vector<std::string> ran;

    bool LoadCatalogue() override { return Run("catalogue", 1); }
    bool SetNotifyWindow() override { return Run("notify window", 2); }
    bool IsSupportedSystem() override { return Run("system", 3); }
    bool SetHookTarget() override { return Run("hook target", 4); }
    bool InstallHook() override { return Run("hook", 5); }
    bool LoadFeedbackLibrary() override { return Run("library", 6); }
    bool InitFeedbackLibrary() override { return Run("library init", 7); }

private:
    bool Run(const char* name, int number) {
        ran.emplace_back(name);
        return number != m_failing;
    }
    int m_failing;
};

const std::vector<std::string> kOrder = {"catalogue", "notify window", "system",      "hook target",
                                         "hook",      "library",       "library init"};

struct Expected {
    int step;
    std::u8string_view logEntry;
    std::wstring_view message;
};

} // namespace

TEST(StartupChecks, AllSevenRunInTheirOrderAndNothingIsReportedWhenTheyPass) {
    ScriptedChecks checks(0);
    EXPECT_FALSE(RunStartupChecks(checks).has_value());
    EXPECT_EQ(checks.ran, kOrder);
}

TEST(StartupChecks, TheFirstFailureStopsTheRunWithItsLogEntryAndMessage) {
    const Expected expected[] = {
        {1, u8"读取解析硬件ID信息XML失败", L"工具初始化失败"},
        {2, u8"设置窗口指针失败1", L"工具初始化失败"},
        {3, u8"获取当前系统是否支持失败2", L"此工具不支持当前系统"},
        {4, u8"设置窗口指针失败4", L"工具初始化失败"},
        {5, u8"工具初始化失败5", L"工具初始化失败"},
        // The library's load is reported as 7 and its initialisation as 6.
        {6, u8"工具初始化失败7", L"工具初始化失败"},
        {7, u8"工具初始化失败6", L"工具初始化失败"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.step);
        ScriptedChecks checks(e.step);
        const auto failure = RunStartupChecks(checks);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->step, e.step);
        EXPECT_TRUE(failure->logEntry == e.logEntry);
        EXPECT_TRUE(failure->message == e.message);
        // The failing check ran last: none after it.
        EXPECT_EQ(checks.ran, std::vector<std::string>(kOrder.begin(), kOrder.begin() + e.step));
    }
}
