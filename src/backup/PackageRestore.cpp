// The restore runs dp_add on the backed-up INF by its full path. That path goes to the interpreter in
// quotes, where "&", "^" and blanks are plain; a "%" would still expand, so such a path is passed by its
// short (8.3) name, or refused (DeviceConsole's PathArgument decides).
#include "backup/PackageRestore.h"

#include "backup/BackupCatalog.h"
#include "discovery/PackageQuery.h"
#include "text/CodePage.h"
#include "text/TextCase.h"

#include <algorithm>
#include <set>

namespace {

// "Driver package 'oem0.inf' added." → "oem0.inf"
std::string AddedName(const std::string& output) {
    const std::string_view prefix = "Driver package '";
    const size_t start = output.find(prefix);
    if (start == std::string::npos)
        return {};
    const size_t end = output.find("' added.", start + prefix.size());
    return end == std::string::npos ? std::string() : output.substr(start + prefix.size(), end - start - prefix.size());
}

} // namespace

std::optional<std::wstring> CheckBackup(IBackupFiles& files, const std::wstring& folder,
                                        const BackupManifest& manifest) {
    std::set<std::wstring> listed;
    for (const BackupFileRecord& record : manifest.files) {
        const std::wstring relative = FromUtf8(record.path);
        listed.insert(ToLowerAscii(relative));
        const auto hash = files.HashFile(folder + L"\\" + relative);
        if (!hash)
            return L"备份缺少文件 " + relative;
        if (*hash != record.sha256)
            return L"备份文件 " + relative + L" 已被修改（SHA-256 不符）";
    }
    const std::wstring store = FromUtf8(manifest.storeFolder);
    for (const FileEntry& file : files.Files(folder + L"\\" + store))
        if (!listed.count(ToLowerAscii(store + L"\\" + file.path)))
            return L"备份中多出清单之外的文件 " + store + L"\\" + file.path;
    return std::nullopt;
}

namespace {

// The device's listing of the package published under that name, or the listing's end.
std::vector<DriverPackageRecord>::const_iterator ListedAs(const std::vector<DriverPackageRecord>& packages,
                                                          const std::string& publishedName) {
    return std::find_if(packages.begin(), packages.end(), [&](const DriverPackageRecord& p) {
        return EqualsIgnoringCase(WidenGbk(p.infName), FromUtf8(publishedName));
    });
}

// The package is back already: true when the device runs it as before, so that nothing is to be done at all.
bool AlreadyRestored(const DeviceConsole& console, const BackupManifest& manifest, const std::wstring& name,
                     RestoreResult& result) {
    // Adding it again would only name the package that is there.
    result.alreadyInStore = true;
    result.publishedName = ToUtf8(name);
    // A query that fails leaves the list empty: the package then counts as not listed.
    static_cast<void>(QueryDriverPackages(console, FromUtf8(manifest.searchPattern), result.packages));
    const auto listed = ListedAs(result.packages, result.publishedName);
    if (listed == result.packages.end() || (manifest.wasCurrent && !listed->isCurrent))
        return false;
    result.success = true;
    result.current = listed->isCurrent;
    result.message = L"驱动包已在驱动库中（" + name + L"）" + (result.current ? L"，并且是设备的当前驱动" : L"") +
                     L"，没有做任何改动";
    return true;
}

// dp_add of the backed-up INF; false, with the message, unless the store surely holds it under the name given.
bool AddToStore(IBackupFiles& files, const DeviceConsole& console, const std::wstring& path,
                const BackupManifest& manifest, RestoreResult& result) {
    std::string output;
    const CommandOutcome added = console.AddPackage(path, output);
    result.changed = added != CommandOutcome::NotStarted && added != CommandOutcome::Refused;
    if (added != CommandOutcome::Finished) {
        result.message = added == CommandOutcome::TimedOut ? L"添加驱动包的命令超时" : L"无法运行设备控制台工具";
        return false;
    }
    result.publishedName = AddedName(output);
    if (result.publishedName.empty()) {
        result.message = L"添加驱动包失败: " + FirstOutputLine(output);
        return false;
    }
    // The tool's word is checked against the disk: the package must be published under that name.
    const std::wstring onDisk = FindInStore(PublishedInfHashes(files), manifest);
    if (!EqualsIgnoringCase(onDisk, FromUtf8(result.publishedName))) {
        result.message = L"设备控制台工具说已添加 " + FromUtf8(result.publishedName) + L"，但驱动库中没有这个驱动包";
        return false;
    }
    return true;
}

// Plug and Play chooses again, the package becomes current again when it was, and the device's listing tells
// how far that went.
void Reinstate(const DeviceConsole& console, const std::wstring& path, const BackupManifest& manifest,
               RestoreResult& result) {
    // Their results show in the package query below.
    result.changed = true;
    std::string output;
    static_cast<void>(console.Rescan(output));
    if (manifest.wasCurrent && !manifest.hardwareId.empty()) {
        output.clear();
        static_cast<void>(console.UpdateDriver(path, FromUtf8(manifest.hardwareId), output));
    }

    result.packages.clear();
    // A query that fails leaves the list empty, which the warning below reports.
    static_cast<void>(QueryDriverPackages(console, FromUtf8(manifest.searchPattern), result.packages));
    const auto listed = ListedAs(result.packages, result.publishedName);
    result.current = listed != result.packages.end() && listed->isCurrent;
    const std::wstring published = FromUtf8(result.publishedName);
    result.success = true;
    result.message = (result.alreadyInStore ? L"驱动包已在驱动库中（" + published + L"），没有重复添加"
                                            : L"驱动包已恢复为 " + published) +
                     (result.current ? L"，并且是设备的当前驱动" : L"");
    if (listed == result.packages.end())
        result.warning = L"设备 " + FromUtf8(manifest.deviceKey) + L" 现在没有列出这个驱动包（设备可能没有连接）";
    else if (manifest.wasCurrent && !result.current)
        result.warning = L"驱动包没能重新成为设备 " + FromUtf8(manifest.deviceKey) + L" 的当前驱动";
}

} // namespace

RestoreResult RestoreBackup(IBackupFiles& files, const DeviceConsole& console, const std::wstring& folder,
                            const BackupManifest& manifest) {
    RestoreResult result;
    if (const auto problem = CheckBackup(files, folder, manifest)) {
        result.message = *problem + L"，不能恢复";
        return result;
    }
    const std::wstring infRelative = FromUtf8(manifest.storeFolder) + L"\\" + FromUtf8(manifest.storeInf);
    const std::wstring infPath = folder + L"\\" + infRelative;
    std::wstring path = infPath;
    if (!PathArgument(path))
        path = files.ShortPath(infPath);
    if (!PathArgument(path)) {
        result.message = L"备份路径含有命令解释器会改变的字符（如 %），且没有短文件名可用: " + infPath;
        return result;
    }

    const std::wstring name = FindInStore(PublishedInfHashes(files), manifest);
    if (!name.empty()) {
        if (AlreadyRestored(console, manifest, name, result))
            return result;
    } else if (!AddToStore(files, console, path, manifest, result)) {
        return result;
    }
    Reinstate(console, path, manifest, result);
    return result;
}
