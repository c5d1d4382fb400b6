// The reply codes, their exit codes and the JSON object every command prints.
#include "cli/CliReply.h"

#include <gtest/gtest.h>

#include <set>

// Scripts tell outcomes apart by the exit code alone: success, nothing to do, a needed restart, bad arguments,
// not found, the console tool, a partial failure and a plain failure never share one.
TEST(CliReply, OutcomesOfDifferentKindsHaveDifferentExitCodes) {
    const std::vector<std::vector<std::string>> kinds = {
        {"detected", "deleted", "planned", "cleaned", "restored", "listed", "pruned"},
        {"not-present"},
        {"reboot-required"},
        {"bad-arguments", "refused-inbox"},
        {"not-administrator"},
        {"no-devices", "unknown-device", "unknown-package", "no-backup"},
        {"console-tool-failed", "console-tool-timed-out"},
        {"partial-failure"},
        {"uninstall-failed", "backup-failed", "restore-failed", "internal-error"},
    };
    std::set<int> seen;
    for (const auto& kind : kinds) {
        const int exitCode = ExitCodeOf(kind.front());
        EXPECT_TRUE(seen.insert(exitCode).second) << kind.front();
        for (const std::string& code : kind)
            EXPECT_EQ(ExitCodeOf(code), exitCode) << code;
    }
    EXPECT_EQ(ExitCodeOf("deleted"), 0);
    EXPECT_TRUE(IsOk("not-present") && IsOk("reboot-required") && !IsOk("partial-failure") && !IsOk("no-such-code"));

    CliReply reply = Failure("console-tool-failed", L"获取设备驱动失败", L"driverfiles *X*");
    reply.members = {{"device", "K"}};
    const nlohmann::json json = ReplyToJson("detect", reply);
    EXPECT_EQ(json["ok"], false);
    EXPECT_EQ(json["exitCode"], ExitCodeOf("console-tool-failed"));
    EXPECT_EQ(json["error"], "driverfiles *X*");
    EXPECT_EQ(json["device"], "K");
    EXPECT_TRUE(ReplyToJson("", reply)["command"].is_null());
}
