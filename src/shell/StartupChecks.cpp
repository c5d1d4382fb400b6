// The start-up checks.
#include "shell/StartupChecks.h"

#include <array>

namespace {

constexpr std::wstring_view kInitFailed = L"工具初始化失败";

struct Check {
    bool (IStartupChecks::*run)();
    std::u8string_view logEntry;
    std::wstring_view message;
};

// The code texts are kept as support knows them: the library's load logs 7 and its initialisation 6.
constexpr std::array<Check, 7> kChecks = {{
    {&IStartupChecks::LoadCatalogue, u8"读取解析硬件ID信息XML失败", kInitFailed},
    {&IStartupChecks::SetNotifyWindow, u8"设置窗口指针失败1", kInitFailed},
    {&IStartupChecks::IsSupportedSystem, u8"获取当前系统是否支持失败2", L"此工具不支持当前系统"},
    {&IStartupChecks::SetHookTarget, u8"设置窗口指针失败4", kInitFailed},
    {&IStartupChecks::InstallHook, u8"工具初始化失败5", kInitFailed},
    {&IStartupChecks::LoadFeedbackLibrary, u8"工具初始化失败7", kInitFailed},
    {&IStartupChecks::InitFeedbackLibrary, u8"工具初始化失败6", kInitFailed},
}};

} // namespace

std::optional<StartupCheckFailure> RunStartupChecks(IStartupChecks& checks) {
    for (size_t i = 0; i < kChecks.size(); ++i) {
        const Check& check = kChecks[i];
        if (!(checks.*check.run)()) {
            return StartupCheckFailure{static_cast<int>(i) + 1, check.logEntry, check.message};
        }
    }
    return std::nullopt;
}
