// Parsing the front end's command line: a command, then options in any order.
#include "cli/CliArguments.h"

#include "console/DeviceConsole.h"

#include <cwchar>

const wchar_t kCliUsage[] =
    L"用法:\n"
    L"  TolvikDriverUninstallCli detect [--json]\n"
    L"      检测九类设备的驱动，列出每个设备的驱动包。\n"
    L"  TolvikDriverUninstallCli uninstall --device KEY --inf NAME [--category N] [--dry-run] [--json]\n"
    L"      卸载设备 KEY 的第三方驱动包 NAME（如 oem12.inf）；--dry-run 只列出将要执行的命令。\n"
    L"      卸载前把驱动包备份到 %ProgramData%\\ToolLog\\DriverBackup（--backup-dir DIR 另选位置）；\n"
    L"      --require-backup 备份失败时不卸载。\n"
    L"  --time-limit SECONDS  每条设备控制台命令的时限（默认查询 120 秒、更改 600 秒）。\n"
    L"  TolvikDriverUninstallCli uninstall --device KEY | --all-devices --old [--dry-run] [--json]\n"
    L"      先备份再删除设备的全部旧驱动包（非当前的 oem 包），从最旧的开始；被使用的包保留，不移除设备。\n"
    L"  TolvikDriverUninstallCli restore <备份文件夹 | latest> [--json]\n"
    L"      把备份的驱动包放回驱动库，重新扫描，原来是当前驱动的重新设为当前驱动。\n"
    L"  TolvikDriverUninstallCli backups [--json] | backups --prune --keep N | --max-size SIZE\n"
    L"      列出备份；删除最旧的备份。备份总量默认保持在 2 GB 以内。\n"
    L"  TolvikDriverUninstallCli --help\n"
    L"退出码: 0 成功；1 未找到驱动或卸载失败；2 参数错误、初始化失败或设备/驱动包不存在。\n";

namespace {

bool ParseSeconds(const std::wstring& text, uint32_t& seconds) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    seconds = static_cast<uint32_t>(std::stoul(text));
    return seconds > 0;
}

bool ParseCategory(const std::wstring& text, int& category) {
    if (text.size() != 1 || text[0] < L'1' || text[0] > L'9')
        return false;
    category = text[0] - L'0';
    return true;
}

} // namespace

CliArguments ParseCliArguments(const std::vector<std::wstring>& arguments) {
    CliArguments result;
    if (arguments.empty() || arguments[0] == L"--help" || arguments[0] == L"-h" || arguments[0] == L"/?")
        return result;
    if (arguments[0] == L"detect") {
        result.command = CliArguments::Command::Detect;
    } else if (arguments[0] == L"restore" || arguments[0] == L"backups") {
        return ParseBackupCommand(arguments);
    } else if (arguments[0] == L"uninstall") {
        result.command = CliArguments::Command::Uninstall;
    } else {
        result.error = L"未知命令: " + arguments[0];
        return result;
    }

    const bool uninstall = result.command == CliArguments::Command::Uninstall;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (option == L"--json") {
            result.json = true;
        } else if (uninstall && ParseUninstallBackupOption(arguments, i, result)) {
            if (!result.error.empty())
                return result;
        } else if (uninstall && option == L"--dry-run") {
            result.dryRun = true;
        } else if (option == L"--time-limit" ||
                   (uninstall && (option == L"--device" || option == L"--inf" || option == L"--category"))) {
            if (!hasValue) {
                result.error = L"选项缺少取值: " + option;
                return result;
            }
            const std::wstring& value = arguments[++i];
            if (option == L"--device") {
                result.device = value;
            } else if (option == L"--inf") {
                result.inf = value;
            } else if (option == L"--time-limit") {
                if (!ParseSeconds(value, result.timeLimitSeconds)) {
                    result.error = L"时限应为 1 到 99999 秒: " + value;
                    return result;
                }
            } else if (!ParseCategory(value, result.category)) {
                result.error = L"类别应为 1 到 9: " + value;
                return result;
            }
        } else {
            result.error = L"未知选项: " + option;
            return result;
        }
    }
    if (uninstall && result.old)
        result.error = CheckOldCleanup(result);
    else if (uninstall && (result.device.empty() || result.inf.empty()))
        result.error = L"uninstall 需要 --device 和 --inf";
    else if (uninstall)
        result.error = RefuseInfName(result.inf).value_or(L"");
    return result;
}

std::optional<std::wstring> RefuseInfName(std::wstring_view infName) {
    if (!InfNameArgument(infName))
        return L"驱动包名称不合法（应为 oem12.inf 这样的 INF 文件名）: " + std::wstring(infName);
    std::wstring lower(infName);
    for (wchar_t& c : lower)
        c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c | 0x20) : c;
    if (lower.find(L"oem") == std::wstring::npos)
        return L"只能卸载第三方驱动包（名称含 oem 的 INF，如 oem12.inf），不卸载 Windows 自带的驱动包: " +
               std::wstring(infName);
    return std::nullopt;
}
