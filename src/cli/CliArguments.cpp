// Parsing the front end's command line with CLI11: a command, then its options in any order. Every command knows
// --help/-h, and "help COMMAND" says the same; an option given twice is an error rather than a silent choice.
#include "cli/CliArguments.h"

#include "backup/BackupCatalog.h"

#include "cli/CliReply.h"
#include "console/DeviceConsole.h"
#include "discovery/PackageQuery.h"
#include "text/CodePage.h"
#include "text/TextCase.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>

namespace {

constexpr char kProgram[] = "TolvikDriverUninstallCli";

// The values as CLI11 fills them (UTF-8), before they become the arguments' wide texts.
struct RawValues {
    std::string outputFile, device, inf, backupDir, restoreFrom, maxSize, helpTopic;
    long long keep = -1;
};

void Once(CLI::Option* option) {
    option->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

// --json and --output, which every command has.
void AddOutputOptions(CLI::App& command, CliArguments& result, RawValues& raw) {
    Once(command.add_flag("--json", result.json, "在标准输出打印一个 JSON 对象（UTF-8），任何结果都如此"));
    Once(command.add_option("--output", raw.outputFile, "把同一个 JSON 对象以 UTF-8 写入文件 FILE")->type_name("FILE"));
}

void AddTimeLimit(CLI::App& command, CliArguments& result) {
    Once(command
             .add_option("--time-limit", result.timeLimitSeconds,
                         "每条设备控制台命令的时限（默认查询 120 秒、更改 600 秒）")
             ->type_name("SECONDS")
             ->check(CLI::Range(1u, 99999u).description("")));
}

void AddBackupDir(CLI::App& command, RawValues& raw) {
    Once(command.add_option("--backup-dir", raw.backupDir, "备份文件夹（默认 %ProgramData%\\ToolLog\\DriverBackup）")
             ->type_name("DIR")
             ->check(
                 [](const std::string& value) { return value.empty() ? std::string("需要文件夹") : std::string(); }));
}

// CLI11 reads its arguments in reverse order.
std::vector<std::string> Reversed(const std::vector<std::wstring>& arguments) {
    std::vector<std::string> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it)
        reversed.push_back(ToUtf8(*it));
    return reversed;
}

// The usage of the program, or of one of its commands with all of that command's options.
std::wstring HelpOf(const CLI::App& app, const CLI::App* command) {
    if (command == nullptr)
        return FromUtf8(app.get_formatter()->make_help(&app, kProgram, CLI::AppFormatMode::Normal));
    return FromUtf8(command->get_formatter()->make_help(command, std::string(kProgram) + " " + command->get_name(),
                                                        CLI::AppFormatMode::Normal));
}

// What the command line asks of each command once it parsed.
std::wstring CheckCommand(const CliArguments& result) {
    switch (result.command) {
    case CliArguments::Command::Uninstall:
        if (result.old)
            return CheckOldCleanup(result);
        if (result.allDevices)
            return L"--all-devices 只与 --old 同用";
        if (result.device.empty() || result.inf.empty())
            return L"uninstall 需要 --device 和 --inf（或 --old）";
        return {};
    case CliArguments::Command::Backups:
        if (result.prune && result.keep < 0 && result.maxSize < 0)
            return L"backups --prune 需要 --keep N 或 --max-size SIZE";
        if (!result.prune && (result.keep >= 0 || result.maxSize >= 0))
            return L"--keep 和 --max-size 只与 --prune 同用";
        return {};
    default:
        return {};
    }
}

// The program's own help labels and options, which stand before any command.
void SetUpProgram(CLI::App& app, CliArguments& result, RawValues& raw, bool& version) {
    app.option_defaults()->group("选项");
    app.set_help_flag("-h,--help", "显示帮助");
    for (const auto& [key, label] : {std::pair{"Usage", "用法"},
                                     {"OPTIONS", "选项"},
                                     {"SUBCOMMAND", "命令"},
                                     {"Positionals", "参数"},
                                     {"REQUIRED", "（必需）"},
                                     {"Excludes", "不能与之同用"},
                                     {"Needs", "需要"}})
        app.get_formatter()->label(key, label);
    app.footer(ToUtf8(kExitCodeHelp));
    app.require_subcommand(0, 1);
    app.add_flag("--version", version, "显示版本");
    AddOutputOptions(app, result, raw); // for --version and --help
}

CLI::App* AddDetect(CLI::App& app, CliArguments& result, RawValues& raw) {
    CLI::App* detect = app.add_subcommand("detect", "检测九类设备的驱动，列出每个设备的驱动包。");
    AddOutputOptions(*detect, result, raw);
    AddTimeLimit(*detect, result);
    return detect;
}

CLI::App* AddUninstall(CLI::App& app, CliArguments& result, RawValues& raw) {
    CLI::App* uninstall =
        app.add_subcommand("uninstall", "卸载设备 KEY 的第三方驱动包 NAME（如 oem12.inf），卸载前先备份；"
                                        "或用 --old 先备份再删除设备的全部旧驱动包，从最旧的开始。");
    Once(
        uninstall->add_option("--device", raw.device, "设备（detect 列出的 deviceKey，不分大小写）")->type_name("KEY"));
    Once(uninstall->add_option("--inf", raw.inf, "要卸载的驱动包")->type_name("NAME"));
    Once(uninstall->add_option("--category", result.category, "只在这一类设备中找 KEY")
             ->type_name("N")
             ->check(CLI::Range(1, 9).description("")));
    Once(uninstall->add_flag("--dry-run", result.dryRun, "只列出将要执行的命令，可在程序文件夹的 cmd 中照样执行"));
    Once(uninstall->add_flag("--old", result.old, "删除设备的全部旧驱动包（非当前的 oem 包）；正被使用的保留"));
    Once(uninstall->add_flag("--all-devices", result.allDevices, "与 --old 同用：对每个设备删除旧驱动包"));
    Once(uninstall->add_flag("--require-backup", result.requireBackup, "备份失败时不删除"));
    AddBackupDir(*uninstall, raw);
    AddOutputOptions(*uninstall, result, raw);
    AddTimeLimit(*uninstall, result);
    return uninstall;
}

CLI::App* AddRestore(CLI::App& app, CliArguments& result, RawValues& raw) {
    CLI::App* restore =
        app.add_subcommand("restore", "把备份的驱动包放回驱动库，重新扫描；原来是当前驱动的重新设为当前驱动。");
    Once(restore->add_option("backup", raw.restoreFrom, "备份文件夹，或 latest（最新的备份）")
             ->type_name("FOLDER|latest")
             ->required());
    AddBackupDir(*restore, raw);
    AddOutputOptions(*restore, result, raw);
    AddTimeLimit(*restore, result);
    return restore;
}

CLI::App* AddBackups(CLI::App& app, CliArguments& result, RawValues& raw) {
    CLI::App* backups = app.add_subcommand("backups", "列出备份；或删除最旧的备份。备份总量默认保持在 2 GB 以内。");
    Once(backups->add_flag("--prune", result.prune, "删除最旧的备份"));
    Once(backups->add_option("--keep", raw.keep, "与 --prune 同用：保留最新的 N 个备份")
             ->type_name("N")
             ->check(CLI::Range(1LL, static_cast<long long>(kMaxKeepCount)).description("")));
    Once(backups->add_option("--max-size", raw.maxSize, "与 --prune 同用：备份总量不超过 SIZE（如 500M、2G）")
             ->type_name("SIZE")
             ->check([](const std::string& value) {
                 return ParseBackupLimit(FromUtf8(value)) ? std::string()
                                                          : std::string("需要 1M 到 1024T 之间的大小，如 500M 或 2G");
             }));
    AddBackupDir(*backups, raw);
    AddOutputOptions(*backups, result, raw);
    return backups;
}

// Each command and what it stands for; "help" comes last.
using CommandTable = std::array<std::pair<CLI::App*, CliArguments::Command>, 5>;

CommandTable AddCommands(CLI::App& app, CliArguments& result, RawValues& raw) {
    CLI::App* detect = AddDetect(app, result, raw);
    CLI::App* uninstall = AddUninstall(app, result, raw);
    CLI::App* restore = AddRestore(app, result, raw);
    CLI::App* backups = AddBackups(app, result, raw);
    CLI::App* help = app.add_subcommand("help", "显示帮助；help COMMAND 显示该命令的全部选项。");
    help->add_option("command", raw.helpTopic, "命令")->type_name("COMMAND");
    for (CLI::App* command : {detect, uninstall, restore, backups, help}) {
        command->group("命令");
        command->get_help_ptr()->group("选项");
    }
    for (CLI::App* command : {detect, uninstall, restore, backups})
        command->footer(ToUtf8(kExitCodeHelp));
    return {{{detect, CliArguments::Command::Detect},
             {uninstall, CliArguments::Command::Uninstall},
             {restore, CliArguments::Command::Restore},
             {backups, CliArguments::Command::Backups},
             {help, CliArguments::Command::Help}}};
}

// "help" alone, or "help COMMAND".
void AnswerHelpCommand(const CLI::App& app, const CommandTable& commands, const std::string& topic,
                       CliArguments& result) {
    result.commandName.clear();
    const auto named =
        std::find_if(commands.begin(), commands.end(), [&](const auto& c) { return c.first->get_name() == topic; });
    if (topic.empty())
        result.helpText = HelpOf(app, nullptr);
    else if (named == commands.end())
        result.error = L"未知命令: " + FromUtf8(topic);
    else
        result.helpText = HelpOf(app, named->first);
}

// The command's values as the arguments' wide texts, and what the command line asks of the command.
void TakeValues(const RawValues& raw, CliArguments& result) {
    result.outputFile = FromUtf8(raw.outputFile);
    result.device = ToUpperAscii(FromUtf8(raw.device));
    result.inf = FromUtf8(raw.inf);
    result.backupDir = FromUtf8(raw.backupDir);
    result.restoreFrom = FromUtf8(raw.restoreFrom);
    result.keep = raw.keep;
    result.maxSize =
        raw.maxSize.empty() ? -1 : static_cast<long long>(ParseBackupLimit(FromUtf8(raw.maxSize)).value_or(0));
    result.error = CheckCommand(result);
}

} // namespace

bool CliArguments::Changes() const {
    return (command == Command::Uninstall && !dryRun) || command == Command::Restore ||
           (command == Command::Backups && prune);
}

CliArguments ParseCliArguments(const std::vector<std::wstring>& arguments) {
    CliArguments result;
    RawValues raw;
    CLI::App app{"检测并卸载九类设备的第三方驱动包；每次删除前先备份。", kProgram};
    bool version = false;
    SetUpProgram(app, result, raw, version);
    const CommandTable commands = AddCommands(app, result, raw);
    CLI::App* const help = commands.back().first;

    std::vector<std::string> reversed = Reversed(arguments);
    // --json is seen also on a command line that does not parse, so that its error is JSON too.
    for (const std::wstring& argument : arguments)
        result.json = result.json || argument == L"--json";
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        const CLI::App* asked = nullptr;
        for (const auto& [command, kind] : commands)
            if (command->parsed() && command != help)
                asked = command;
        result.helpText = HelpOf(app, asked);
        return result;
    } catch (const CLI::ParseError& error) {
        for (const auto& [command, kind] : commands)
            if (command->parsed())
                result.commandName = command->get_name();
        result.error = L"参数错误: " + FromUtf8(error.what());
        return result;
    }

    for (const auto& [command, kind] : commands) {
        if (command->parsed()) {
            result.command = kind;
            result.commandName = command->get_name();
        }
    }
    if (help->parsed())
        AnswerHelpCommand(app, commands, raw.helpTopic, result);
    else if (version && result.commandName.empty())
        result.command = CliArguments::Command::Version;
    else if (result.commandName.empty())
        result.helpText = HelpOf(app, nullptr);
    else
        TakeValues(raw, result);
    return result;
}

std::optional<InfRefusal> RefuseInfName(std::wstring_view infName) {
    if (!InfNameArgument(infName))
        return InfRefusal{"bad-arguments",
                          L"驱动包名称不合法（应为 oem12.inf 这样的 INF 文件名）: " + std::wstring(infName)};
    // A name typed by a user may be in any case; the store writes it in lower case.
    if (!IsThirdPartyInfName(ToLowerAscii(infName)))
        return InfRefusal{"refused-inbox", L"只能卸载第三方驱动包（名称含 oem 的 INF，如 oem12.inf），"
                                           L"不卸载 Windows 自带的驱动包: " +
                                               std::wstring(infName)};
    return std::nullopt;
}
