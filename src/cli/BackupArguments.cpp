// The backup parts of the command line: uninstall's backup options, and the restore and backups commands.
#include "cli/CliArguments.h"

#include "backup/BackupCatalog.h"

#include <cwctype>

bool ParseUninstallBackupOption(const std::vector<std::wstring>& arguments, size_t& i, CliArguments& result) {
    const std::wstring& option = arguments[i];
    if (option == L"--old")
        result.old = true;
    else if (option == L"--all-devices")
        result.allDevices = true;
    else if (option == L"--require-backup")
        result.requireBackup = true;
    else if (option == L"--backup-dir") {
        if (i + 1 >= arguments.size() || arguments[i + 1].empty())
            result.error = L"选项缺少取值: " + option;
        else
            result.backupDir = arguments[++i];
    } else
        return false;
    return true;
}

std::wstring CheckOldCleanup(const CliArguments& arguments) {
    if (!arguments.inf.empty())
        return L"--old 删除全部旧驱动包，不能与 --inf 同用";
    if (arguments.allDevices == !arguments.device.empty())
        return L"--old 需要 --device KEY 或 --all-devices 之一";
    return {};
}

long long ParseSize(const std::wstring& text) {
    size_t digits = 0;
    long long value = 0;
    while (digits < text.size() && std::iswdigit(text[digits]) && digits < 15)
        value = value * 10 + (text[digits++] - L'0');
    if (digits == 0)
        return -1;
    std::wstring unit = text.substr(digits);
    for (wchar_t& c : unit)
        c = static_cast<wchar_t>(std::towupper(c));
    if (unit == L"" || unit == L"B")
        return value;
    if (unit == L"K" || unit == L"KB")
        return value << 10;
    if (unit == L"M" || unit == L"MB")
        return value << 20;
    if (unit == L"G" || unit == L"GB")
        return value << 30;
    return -1;
}

CliArguments ParseBackupCommand(const std::vector<std::wstring>& arguments) {
    CliArguments result;
    const bool restore = arguments[0] == L"restore";
    result.command = restore ? CliArguments::Command::Restore : CliArguments::Command::Backups;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (option == L"--json") {
            result.json = true;
        } else if (option == L"--backup-dir" && hasValue) {
            result.backupDir = arguments[++i];
        } else if (restore && option == L"--time-limit" && hasValue) {
            const std::wstring& value = arguments[++i];
            const long long seconds = ParseSize(value);
            if (seconds <= 0 || seconds > 86400 || value.find_first_not_of(L"0123456789") != std::wstring::npos) {
                result.error = L"--time-limit 需要秒数: " + value;
                return result;
            }
            result.timeLimitSeconds = static_cast<uint32_t>(seconds);
        } else if (!restore && option == L"--prune") {
            result.prune = true;
        } else if (!restore && option == L"--keep" && hasValue) {
            const std::wstring& value = arguments[++i];
            const auto keep = ParseKeepCount(value);
            if (!keep) {
                result.error = L"--keep 需要 1 到 " + std::to_wstring(kMaxKeepCount) + L" 之间的数目: " + value;
                return result;
            }
            result.keep = static_cast<long long>(*keep);
        } else if (!restore && option == L"--max-size" && hasValue) {
            const auto limit = ParseBackupLimit(arguments[++i]);
            if (!limit) {
                result.error = L"--max-size 需要 1M 到 1024T 之间的大小，如 500M 或 2G: " + arguments[i];
                return result;
            }
            result.maxSize = static_cast<long long>(*limit);
        } else if (restore && result.restoreFrom.empty() && !option.empty() && option.rfind(L"--", 0) != 0) {
            result.restoreFrom = option;
        } else {
            result.error =
                (option.rfind(L"--", 0) == 0 && !hasValue ? L"未知选项或缺少取值: " : L"未知选项: ") + option;
            return result;
        }
    }
    if (restore && result.restoreFrom.empty())
        result.error = L"restore 需要备份文件夹或 latest";
    else if (!restore && result.prune && result.keep < 0 && result.maxSize < 0)
        result.error = L"backups --prune 需要 --keep N 或 --max-size SIZE";
    else if (!restore && !result.prune && (result.keep >= 0 || result.maxSize >= 0))
        result.error = L"--keep 和 --max-size 只与 --prune 同用";
    return result;
}
