// One "keyword value" line per field, then one line per file; a first line names the format.
#include "backup/BackupManifest.h"

#include "text/TextCase.h"

#include <algorithm>
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

const BackupFileRecord* BackupManifest::StoreInfRecord() const {
    const std::string wanted = storeFolder + "\\" + storeInf;
    for (const BackupFileRecord& file : files)
        if (EqualsIgnoringCase(file.path, wanted))
            return &file;
    return nullptr;
}

std::optional<int64_t> BackupInstant(std::string_view time) {
    // "YYYY-MM-DD?hh:mm:ss" then "", "Z" or "+hh:mm" / "-hh:mm".
    const auto number = [&](size_t at, size_t length) -> std::optional<int> {
        if (at + length > time.size())
            return std::nullopt;
        int value = 0;
        for (size_t i = at; i < at + length; ++i) {
            if (time[i] < '0' || time[i] > '9')
                return std::nullopt;
            value = value * 10 + (time[i] - '0');
        }
        return value;
    };
    const auto year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const auto hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (!year || !month || !day || !hour || !minute || !second || time[4] != '-' || time[7] != '-' ||
        (time[10] != 'T' && time[10] != ' ') || time[13] != ':' || time[16] != ':' || *month < 1 || *month > 12 ||
        *day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 60)
        return std::nullopt;
    int offsetMinutes = 0;
    const std::string_view zone = time.substr(19);
    if (zone == "Z" || zone.empty()) {
    } else if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':') {
        const auto hours = number(20, 2), minutes = number(23, 2);
        if (!hours || !minutes || *hours > 14 || *minutes > 59)
            return std::nullopt;
        offsetMinutes = (zone[0] == '-' ? -1 : 1) * (*hours * 60 + *minutes);
    } else {
        return std::nullopt;
    }
    // Days from the civil date (proleptic Gregorian), after H. Hinnant's algorithm.
    const int y = *year - (*month <= 2 ? 1 : 0);
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (*month + (*month > 2 ? -3 : 9)) + 2) / 5 + *day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = static_cast<int64_t>(era) * 146097 + dayOfEra - 719468;
    return days * 86400 + *hour * 3600 + *minute * 60 + *second - offsetMinutes * 60;
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
        m.storeInf.find_first_of("\\/") != std::string::npos || m.storeFolder.find("..") != std::string::npos ||
        m.StoreInfRecord() == nullptr)
        return std::nullopt;
    return m;
}
