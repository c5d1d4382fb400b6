// The reply codes, their exit codes and the one JSON object every command prints.
#include "cli/CliReply.h"

#include "feedback/FeedbackConstants.h"
#include "text/CodePage.h"

#include <array>

namespace {

struct CodeEntry {
    std::string_view code;
    int exitCode;
    bool ok;
};

constexpr std::array kCodes = {
    CodeEntry{"detected", exit_code::kDone, true},
    CodeEntry{"deleted", exit_code::kDone, true},
    CodeEntry{"planned", exit_code::kDone, true},
    CodeEntry{"cleaned", exit_code::kDone, true},
    CodeEntry{"restored", exit_code::kDone, true},
    CodeEntry{"listed", exit_code::kDone, true},
    CodeEntry{"pruned", exit_code::kDone, true},
    CodeEntry{"help", exit_code::kDone, true},
    CodeEntry{"version", exit_code::kDone, true},
    CodeEntry{"not-present", exit_code::kNotPresent, true},
    CodeEntry{"reboot-required", exit_code::kRebootRequired, true},
    CodeEntry{"bad-arguments", exit_code::kBadArguments, false},
    CodeEntry{"refused-inbox", exit_code::kBadArguments, false},
    CodeEntry{"not-administrator", exit_code::kNotAdministrator, false},
    CodeEntry{"no-devices", exit_code::kNotFound, false},
    CodeEntry{"unknown-device", exit_code::kNotFound, false},
    CodeEntry{"unknown-package", exit_code::kNotFound, false},
    CodeEntry{"no-backup", exit_code::kNotFound, false},
    CodeEntry{"console-tool-failed", exit_code::kConsoleToolFailed, false},
    CodeEntry{"console-tool-timed-out", exit_code::kConsoleToolFailed, false},
    CodeEntry{"partial-failure", exit_code::kPartialFailure, false},
    CodeEntry{"uninstall-failed", exit_code::kFailed, false},
    CodeEntry{"backup-failed", exit_code::kFailed, false},
    CodeEntry{"restore-failed", exit_code::kFailed, false},
    CodeEntry{"untrusted-backup", exit_code::kFailed, false},
    CodeEntry{"prune-failed", exit_code::kFailed, false},
    CodeEntry{"internal-error", exit_code::kFailed, false},
};

const CodeEntry* Find(std::string_view code) {
    for (const CodeEntry& entry : kCodes)
        if (entry.code == code)
            return &entry;
    return nullptr;
}

} // namespace

const wchar_t kExitCodeHelp[] =
    L"退出码:\n"
    L"  0     完成（detected、deleted、planned、cleaned、restored、listed、pruned）\n"
    L"  1605  驱动包已不在驱动库中，没有更改（not-present，不算错误）\n"
    L"  3010  设备要在电脑重启后才被移除；重启后再卸载一次（reboot-required）\n"
    L"  87    参数错误或拒绝的请求（bad-arguments、refused-inbox）\n"
    L"  740   需要管理员权限（not-administrator）\n"
    L"  1168  没有找到设备、驱动包或备份（no-devices、unknown-device、unknown-package、no-backup）\n"
    L"  1627  设备控制台工具缺失、失败或超时（console-tool-failed、console-tool-timed-out）\n"
    L"  299   部分驱动包删除失败（partial-failure）\n"
    L"  1603  卸载、备份或恢复失败，或内部错误（uninstall-failed、backup-failed、restore-failed、"
    L"untrusted-backup、prune-failed、internal-error）\n";

CliReply Failure(std::string code, std::wstring message, std::wstring error) {
    CliReply reply;
    reply.code = std::move(code);
    reply.message = std::move(message);
    reply.error = std::move(error);
    return reply;
}

int ExitCodeOf(std::string_view code) {
    const CodeEntry* entry = Find(code);
    return entry != nullptr ? entry->exitCode : exit_code::kFailed;
}

bool IsOk(std::string_view code) {
    const CodeEntry* entry = Find(code);
    return entry != nullptr && entry->ok;
}

nlohmann::json ReplyToJson(std::string_view command, const CliReply& reply) {
    nlohmann::json json = {
        {"schema", kCliJsonSchema},
        {"command", command.empty() ? nlohmann::json(nullptr) : nlohmann::json(command)},
        {"version", ToUtf8(kToolVersion)},
        {"ok", IsOk(reply.code)},
        {"changed", reply.changed},
        {"code", reply.code},
        {"exitCode", ExitCodeOf(reply.code)},
        {"message", ToUtf8(reply.message)},
    };
    if (!IsOk(reply.code))
        json["error"] = ToUtf8(reply.error.empty() ? reply.message : reply.error);
    for (const auto& [name, value] : reply.members.items())
        json[name] = value;
    return json;
}
