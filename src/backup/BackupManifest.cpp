// One "keyword value" line per field, then one line per file; a first line names the format.
#include "backup/BackupManifest.h"

#include <cstdlib>

namespace {

constexpr std::string_view kFirstLine = "tolvik-driver-backup 1";

// Values are single lines: line breaks a hand-edit or an odd device text could bring are replaced.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

bool IsHex64(std::string_view text) {
    if (text.size() != 64)
        return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

std::optional<uint64_t> Number(std::string_view text) {
    if (text.empty() || text.size() > 19)
        return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

} // namespace

uint64_t BackupManifest::TotalSize() const {
    uint64_t total = 0;
    for (const BackupFileRecord& file : files)
        total += file.size;
    return total;
}

std::string FormatManifest(const BackupManifest& m) {
    std::string text = std::string(kFirstLine) + "\n";
    const auto field = [&](std::string_view keyword, const std::string& value) {
        text += std::string(keyword) + " " + OneLine(value) + "\n";
    };
    field("time", m.time);
    field("device-key", m.deviceKey);
    field("category", std::to_string(m.category));
    field("search-pattern", m.searchPattern);
    field("hardware-id", m.hardwareId);
    field("description", m.description);
    field("inf", m.inf);
    field("provider", m.provider);
    field("version", m.version);
    field("date", m.date);
    field("was-current", m.wasCurrent ? "yes" : "no");
    field("store-folder", m.storeFolder);
    field("store-inf", m.storeInf);
    field("tool", m.tool);
    for (const BackupFileRecord& file : m.files)
        field("file", file.sha256 + " " + std::to_string(file.size) + " " + file.path);
    return text;
}

std::optional<BackupManifest> ParseManifest(std::string_view text) {
    BackupManifest m;
    bool first = true;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            if (line != kFirstLine)
                return std::nullopt;
            first = false;
            continue;
        }
        if (line.empty())
            continue;
        const size_t blank = line.find(' ');
        const std::string_view keyword = line.substr(0, blank);
        const std::string value(blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1));
        if (keyword == "time")
            m.time = value;
        else if (keyword == "device-key")
            m.deviceKey = value;
        else if (keyword == "category")
            m.category = static_cast<int>(Number(value).value_or(0));
        else if (keyword == "search-pattern")
            m.searchPattern = value;
        else if (keyword == "hardware-id")
            m.hardwareId = value;
        else if (keyword == "description")
            m.description = value;
        else if (keyword == "inf")
            m.inf = value;
        else if (keyword == "provider")
            m.provider = value;
        else if (keyword == "version")
            m.version = value;
        else if (keyword == "date")
            m.date = value;
        else if (keyword == "was-current")
            m.wasCurrent = value == "yes";
        else if (keyword == "store-folder")
            m.storeFolder = value;
        else if (keyword == "store-inf")
            m.storeInf = value;
        else if (keyword == "tool")
            m.tool = value;
        else if (keyword == "file") {
            const size_t second = value.find(' ');
            const size_t third = second == std::string::npos ? second : value.find(' ', second + 1);
            if (third == std::string::npos)
                return std::nullopt;
            const auto size = Number(std::string_view(value).substr(second + 1, third - second - 1));
            BackupFileRecord file{value.substr(0, second), size.value_or(0), value.substr(third + 1)};
            if (!IsHex64(file.sha256) || !size || file.path.empty() || file.path.find("..") != std::string::npos)
                return std::nullopt;
            m.files.push_back(std::move(file));
        }
    }
    if (first || m.inf.empty() || m.storeFolder.empty() || m.storeInf.empty() || m.files.empty() ||
        m.storeFolder.find_first_of("\\/") != std::string::npos ||
        m.storeInf.find_first_of("\\/") != std::string::npos || m.storeFolder.find("..") != std::string::npos)
        return std::nullopt;
    return m;
}
