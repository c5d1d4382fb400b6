// The seven checks the main window runs while it initialises, in their fixed order, and how a failed one is
// reported: a code text for the log file and the sentence the user is shown. The first failure ends the run.
#pragma once

#include <optional>
#include <string_view>

// The checks themselves; the main window implements them over the real inventory, hook and library.
class IStartupChecks {
public:
    virtual ~IStartupChecks() = default;
    virtual bool LoadCatalogue() = 0;
    virtual bool SetNotifyWindow() = 0;
    virtual bool IsSupportedSystem() = 0;
    virtual bool SetHookTarget() = 0;
    virtual bool InstallHook() = 0;
    virtual bool LoadFeedbackLibrary() = 0;
    virtual bool InitFeedbackLibrary() = 0;
};

struct StartupCheckFailure {
    int step = 0;                // 1 to 7, in the order the checks run
    std::u8string_view logEntry; // written to "videzure.txt" with force on
    std::wstring_view message;   // shown in a message prompt
};

// Runs the checks in order and stops at the first that fails; nothing when all seven passed.
std::optional<StartupCheckFailure> RunStartupChecks(IStartupChecks& checks);
