// Reading and writing the simulated PC's description.
#include "SimulatedPc.h"

#include <algorithm>
#include <set>

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (Upper(c) >= 'A' && Upper(c) <= 'F');
}

// Digits only, in the given base, with at most `maxValue`.
std::optional<uint64_t> ParseNumber(std::string_view text, unsigned base, uint64_t maxValue) {
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (base == 10 ? !IsDigit(c) : !IsHexDigit(c))
            return std::nullopt;
        const unsigned digit = IsDigit(c) ? static_cast<unsigned>(c - '0') : static_cast<unsigned>(Upper(c) - 'A' + 10);
        value = value * base + digit;
        if (value > maxValue)
            return std::nullopt;
    }
    return value;
}

// Decimal, or hexadecimal after "0x".
std::optional<uint32_t> ParseRank(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && Upper(text[1]) == 'X';
    const auto value = hex ? ParseNumber(text.substr(2), 16, UINT32_MAX) : ParseNumber(text, 10, UINT32_MAX);
    return value ? std::optional<uint32_t>(static_cast<uint32_t>(*value)) : std::nullopt;
}

std::optional<uint32_t> ParseFlags(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && Upper(text[1]) == 'X')
        text.remove_prefix(2);
    const auto value = ParseNumber(text, 16, UINT32_MAX);
    return value ? std::optional<uint32_t>(static_cast<uint32_t>(*value)) : std::nullopt;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

bool IsDate(std::string_view text) {
    const auto parts = Split(text, '/');
    if (parts.size() != 3 || parts[2].size() != 4)
        return false;
    const auto month = ParseNumber(parts[0], 10, 12);
    const auto day = ParseNumber(parts[1], 10, 31);
    const auto year = ParseNumber(parts[2], 10, 9999);
    return month && *month >= 1 && day && *day >= 1 && year && *year >= 1601 && parts[0].size() <= 2 &&
           parts[1].size() <= 2;
}

bool IsVersion(std::string_view text) {
    const auto parts = Split(text, '.');
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [](std::string_view part) {
               return part.size() <= 5 && ParseNumber(part, 10, 65535).has_value();
           });
}

bool IsClassGuid(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}')
        return false;
    for (size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != '-' : !IsHexDigit(text[i]))
            return false;
    }
    return true;
}

class Parser {
public:
    explicit Parser(SimulatedPc& pc) : pc_(pc) {}

    // One non-blank, non-comment line; false with `error_` set when it is wrong.
    bool Line(int number, std::string_view keyword, std::string_view value) {
        line_ = number;
        if (keyword == "device")
            return StartDevice(value);
        if (keyword == "package")
            return StartPackage(value);
        if (keyword == "fail-all" || keyword == "rescan-fails" || keyword == "c-locale" || keyword == "misbehave") {
            if (!pc_.devices.empty() || !pc_.packages.empty())
                return Fail("'" + std::string(keyword) + "' must come before the first device or package");
            if (keyword == "misbehave")
                return Misbehave(value);
            return Bool(keyword == "fail-all"   ? pc_.failAll
                        : keyword == "c-locale" ? pc_.cLocale
                                                : pc_.rescanFails,
                        value);
        }
        if (device_)
            return DeviceLine(keyword, value);
        if (package_)
            return PackageLine(keyword, value);
        return Fail("'" + std::string(keyword) + "' outside a device or package block");
    }

    // Checks that need the whole description.
    bool Finish() {
        std::set<std::string> seen;
        for (const DriverPackage& package : pc_.packages) {
            line_ = package.line + 1;
            if (!seen.insert(Key(package.infName)).second)
                return Fail("package " + package.infName + " is described twice");
        }
        seen.clear();
        std::set<std::string> classKeys;
        for (SimulatedDevice& device : pc_.devices) {
            line_ = device.line + 1;
            if (!seen.insert(Key(device.instanceId)).second)
                return Fail("device " + device.instanceId + " is described twice");
            if (!device.classGuid.empty() &&
                !classKeys.insert(Key(device.classGuid + "\\" + device.classSubkey)).second)
                return Fail("class key " + device.classGuid + "\\" + device.classSubkey + " belongs to two devices");
            for (size_t i = 0; i < device.nodes.size(); ++i) {
                DriverNode& node = device.nodes[i];
                const NodeMeta& meta = nodeMeta_[static_cast<size_t>(&device - pc_.devices.data())][i];
                line_ = meta.line;
                if (!pc_.FindPackage(node.infName))
                    return Fail("no package " + node.infName + " is described");
                if (node.section.empty() || node.description.empty() || !meta.rankGiven)
                    return Fail("node " + node.infName + " needs a section, a description and a rank");
                if (node.matches.empty() && !device.hardwareIds.empty())
                    node.matches = device.hardwareIds.front();
            }
            line_ = device.driverLine + 1;
            if (!device.driverInf.empty() && !pc_.InstalledNode(device))
                return Fail("driver " + device.driverInf + " is not one of the device's nodes");
        }
        return true;
    }

    DescriptionError error_;

private:
    static std::string Key(std::string_view text) {
        std::string key(text);
        std::transform(key.begin(), key.end(), key.begin(), Upper);
        return key;
    }

    bool Fail(std::string message) {
        error_ = {line_, std::move(message)};
        return false;
    }

    bool Required(std::string_view keyword, std::string_view value) {
        return !value.empty() || Fail("'" + std::string(keyword) + "' needs a value");
    }

    // Single-valued properties may be given once per block.
    bool Once(std::string_view keyword) {
        return given_.insert(std::string(keyword)).second || Fail("'" + std::string(keyword) + "' given twice");
    }

    bool Bool(bool& target, std::string_view value) {
        if (value != "yes" && value != "no")
            return Fail("expected yes or no, not '" + std::string(value) + "'");
        target = value == "yes";
        return true;
    }

    // misbehave <command> hang|vanish|silent|mute|garbage
    bool Misbehave(std::string_view value) {
        static const std::pair<std::string_view, Misbehaviour> kModes[] = {
            {"hang", Misbehaviour::Hang}, {"vanish", Misbehaviour::Vanish},   {"silent", Misbehaviour::Silent},
            {"mute", Misbehaviour::Mute}, {"garbage", Misbehaviour::Garbage},
        };
        const size_t blank = value.find_first_of(kBlanks);
        const std::string command = Key(value.substr(0, blank));
        const std::string_view mode = blank == std::string_view::npos ? "" : Trim(value.substr(blank));
        for (const auto& [name, misbehaviour] : kModes) {
            if (mode != name)
                continue;
            if (pc_.MisbehaviourOf(command) != Misbehaviour::None)
                return Fail("command " + command + " misbehaves twice");
            pc_.misbehaviours.emplace_back(command, misbehaviour);
            return true;
        }
        return Fail("expected 'misbehave <command> hang|vanish|silent|mute|garbage'");
    }

    bool StartDevice(std::string_view value) {
        if (!Required("device", value))
            return false;
        pc_.devices.emplace_back();
        device_ = &pc_.devices.back();
        device_->instanceId = value;
        device_->line = line_ - 1;
        nodeMeta_.emplace_back();
        package_ = nullptr;
        node_ = nullptr;
        given_.clear();
        return true;
    }

    bool StartPackage(std::string_view value) {
        if (!Required("package", value))
            return false;
        if (value.find_first_of("\\/") != std::string_view::npos || value.size() < 5 ||
            !EqualsNoCase(value.substr(value.size() - 4), ".inf"))
            return Fail("a package is named by its INF file name, like oem12.inf");
        pc_.packages.emplace_back();
        package_ = &pc_.packages.back();
        package_->infName = value;
        package_->line = line_ - 1;
        device_ = nullptr;
        node_ = nullptr;
        given_.clear();
        return true;
    }

    bool DeviceLine(std::string_view keyword, std::string_view value) {
        SimulatedDevice& device = *device_;
        if (keyword == "node") {
            if (!Required(keyword, value))
                return false;
            device.nodes.push_back({std::string(value), {}, {}, {}, 0});
            nodeMeta_.back().push_back({line_, false});
            node_ = &device.nodes.back();
            nodeGiven_.clear();
            return true;
        }
        if (keyword == "section" || keyword == "description" || keyword == "matches" || keyword == "rank") {
            if (!node_)
                return Fail("'" + std::string(keyword) + "' belongs to a node; start one with 'node <inf>'");
            if (!nodeGiven_.insert(std::string(keyword)).second)
                return Fail("'" + std::string(keyword) + "' given twice in one node");
            if (!Required(keyword, value))
                return false;
            if (keyword == "section")
                node_->section = value;
            else if (keyword == "description")
                node_->description = value;
            else if (keyword == "matches")
                node_->matches = value;
            else if (const auto rank = ParseRank(value)) {
                node_->rank = *rank;
                nodeMeta_.back().back().rankGiven = true;
            } else
                return Fail("rank must be a number, decimal or 0x hexadecimal");
            return true;
        }
        if (keyword == "hardware-id" || keyword == "compatible-id") {
            if (!Required(keyword, value))
                return false;
            (keyword == "hardware-id" ? device.hardwareIds : device.compatibleIds).emplace_back(value);
            return true;
        }
        if (keyword == "reg") {
            const size_t equals = value.find('=');
            const std::string_view name = Trim(value.substr(0, equals));
            if (equals == std::string_view::npos || name.empty())
                return Fail("expected 'reg <value name> = <data>'");
            device.registryExtras.push_back({std::string(name), std::string(Trim(value.substr(equals + 1)))});
            return true;
        }
        if (keyword != "name" && keyword != "class" && keyword != "present" && keyword != "driver" &&
            keyword != "remove-result")
            return Fail("unknown device property '" + std::string(keyword) + "'");
        if (!Once(keyword) || !Required(keyword, value))
            return false;
        if (keyword == "name") {
            device.name = value;
        } else if (keyword == "class") {
            const size_t blank = value.find_first_of(kBlanks);
            const std::string_view guid = value.substr(0, blank);
            const std::string_view subkey = blank == std::string_view::npos ? "" : Trim(value.substr(blank));
            if (!IsClassGuid(guid) || subkey.size() != 4 || !ParseNumber(subkey, 10, 9999))
                return Fail("expected 'class {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx} NNNN'");
            device.classGuid = guid;
            device.classSubkey = subkey;
        } else if (keyword == "present") {
            device.presenceLine = line_ - 1;
            if (value == "yes")
                device.presence = Presence::Present;
            else if (value == "removed")
                device.presence = Presence::Removed;
            else if (value == "unplugged")
                device.presence = Presence::Unplugged;
            else
                return Fail("present is yes, removed or unplugged");
        } else if (keyword == "driver") {
            device.driverLine = line_ - 1;
            device.driverInf = value == "none" ? "" : std::string(value);
        } else {
            if (value == "removed")
                device.removeResult = RemoveResult::Removed;
            else if (value == "reboot")
                device.removeResult = RemoveResult::Reboot;
            else if (value == "fails")
                device.removeResult = RemoveResult::Fails;
            else
                return Fail("remove-result is removed, reboot or fails");
        }
        return true;
    }

    bool PackageLine(std::string_view keyword, std::string_view value) {
        DriverPackage& package = *package_;
        if (keyword == "file") {
            if (!Required(keyword, value))
                return false;
            package.files.emplace_back(value);
            return true;
        }
        if (!Once(keyword))
            return false;
        if (keyword == "inbox")
            return Bool(package.inbox, value);
        if (keyword == "runs-from-store")
            return Bool(package.runsFromStore, value);
        if (keyword == "delete-fails")
            return Bool(package.deleteFails, value);
        if (keyword == "deleted") {
            package.deletedLine = line_ - 1;
            return Bool(package.deleted, value);
        }
        if (keyword == "published") {
            package.publishedLine = line_ - 1;
            if (value.find_first_of("\\/") != std::string_view::npos || value.size() < 5 ||
                !EqualsNoCase(value.substr(value.size() - 4), ".inf"))
                return Fail("a published name is an INF file name, like oem0.inf");
            package.published = EqualsNoCase(value, package.infName) ? "" : std::string(value);
            return true;
        }
        if (keyword == "provider" || keyword == "manufacturer") {
            (keyword == "provider" ? package.provider : package.manufacturer) = value;
            return true;
        }
        if (keyword == "date") {
            if (!IsDate(value))
                return Fail("date is written m/d/yyyy, like 3/24/2020");
            package.date = value;
            return true;
        }
        if (keyword == "version") {
            if (!IsVersion(value))
                return Fail("version is written a.b.c.d, like 26.20.100.7985");
            package.version = value;
            return true;
        }
        if (keyword == "flags") {
            const auto flags = ParseFlags(value);
            if (!flags)
                return Fail("flags are hexadecimal, like 00002000");
            package.flags = *flags;
            return true;
        }
        return Fail("unknown package property '" + std::string(keyword) + "'");
    }

    struct NodeMeta {
        int line = 0;
        bool rankGiven = false;
    };

    SimulatedPc& pc_;
    int line_ = 0; // 1-based number of the line being read
    SimulatedDevice* device_ = nullptr;
    DriverPackage* package_ = nullptr;
    DriverNode* node_ = nullptr;
    std::set<std::string> given_;
    std::set<std::string> nodeGiven_;
    std::vector<std::vector<NodeMeta>> nodeMeta_; // per device, per node
};

} // namespace

namespace {

// Strict UTF-8: no overlong forms, surrogates or code points beyond U+10FFFF.
bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        uint32_t code = 0;
        if (byte < 0x80) {
            i += 1;
            continue;
        } else if ((byte & 0xE0) == 0xC0) {
            length = 2;
            code = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            code = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            code = byte & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string_view PresenceText(Presence presence) {
    switch (presence) {
    case Presence::Removed:
        return "removed";
    case Presence::Unplugged:
        return "unplugged";
    default:
        return "yes";
    }
}

} // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

std::optional<SimulatedPc> SimulatedPc::Parse(std::string_view text, DescriptionError& error) {
    SimulatedPc pc;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    pc.finalNewline_ = text.empty() || text.back() == '\n';
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    if (!text.empty())
        for (std::string_view line : Split(text, '\n')) {
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
                pc.crlf_ = pc.crlf_ || pc.lines_.empty();
            }
            pc.lines_.emplace_back(line);
        }

    Parser parser(pc);
    for (size_t i = 0; i < pc.lines_.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const std::string_view line = Trim(pc.lines_[i]);
        if (!IsUtf8(line) || line.find('\0') != std::string_view::npos || line.find('\r') != std::string_view::npos) {
            error = {number, "not a line of UTF-8 text"};
            return std::nullopt;
        }
        if (line.empty() || line.front() == '#')
            continue;
        const size_t blank = line.find_first_of(kBlanks);
        const std::string_view keyword = line.substr(0, blank);
        const std::string_view value = blank == std::string_view::npos ? "" : Trim(line.substr(blank));
        if (!parser.Line(number, keyword, value)) {
            error = parser.error_;
            return std::nullopt;
        }
    }
    if (!parser.Finish()) {
        error = parser.error_;
        return std::nullopt;
    }
    return pc;
}

std::string SimulatedPc::Save() const {
    std::vector<std::string> lines = lines_;
    const auto indentOf = [&](int index) {
        const std::string& line = lines_[static_cast<size_t>(index)];
        return line.substr(0, std::min(line.size(), line.find_first_not_of(kBlanks)));
    };
    struct Insertion {
        int after;
        std::string text;
    };
    std::vector<Insertion> insertions;
    // A state line is rewritten where it stands when its value changed, or added below its block's first line
    // when it says something.
    const auto put = [&](int stateLine, int blockLine, std::string_view keyword, std::string_view value, bool needed) {
        if (stateLine >= 0) {
            // Only the value changes, so the line keeps its indentation and alignment.
            std::string& line = lines[static_cast<size_t>(stateLine)];
            const size_t valueStart = line.find_first_not_of(kBlanks, line.find(keyword) + keyword.size());
            line = (valueStart == std::string::npos ? line + " " : line.substr(0, valueStart)) + std::string(value);
        } else if (needed) {
            insertions.push_back(
                {blockLine, indentOf(blockLine) + "    " + std::string(keyword) + " " + std::string(value)});
        }
    };
    for (const SimulatedDevice& device : devices) {
        put(device.presenceLine, device.line, "present", PresenceText(device.presence),
            device.presence != Presence::Present);
        put(device.driverLine, device.line, "driver", device.driverInf.empty() ? "none" : device.driverInf,
            !device.driverInf.empty());
    }
    for (const DriverPackage& package : packages) {
        put(package.deletedLine, package.line, "deleted", package.deleted ? "yes" : "no", package.deleted);
        put(package.publishedLine, package.line, "published", package.PublishedName(), !package.published.empty());
    }

    // Bottom up, so that earlier positions stay valid; lines for one block keep the order they were made in.
    std::stable_sort(insertions.begin(), insertions.end(),
                     [](const Insertion& a, const Insertion& b) { return a.after > b.after; });
    for (size_t i = 0; i < insertions.size();) {
        size_t end = i;
        while (end < insertions.size() && insertions[end].after == insertions[i].after)
            ++end;
        std::vector<std::string> block;
        for (size_t k = i; k < end; ++k)
            block.push_back(insertions[k].text);
        const auto at = lines.begin() + insertions[i].after + 1;
        lines.insert(at, block.begin(), block.end());
        i = end;
    }

    const std::string newline = crlf_ ? "\r\n" : "\n";
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i + 1 < lines.size() || finalNewline_)
            text += newline;
    }
    return text;
}

DriverPackage* SimulatedPc::FindPackage(std::string_view infName) {
    for (DriverPackage& package : packages)
        if (EqualsNoCase(package.infName, infName))
            return &package;
    return nullptr;
}

const DriverPackage* SimulatedPc::FindPackage(std::string_view infName) const {
    return const_cast<SimulatedPc*>(this)->FindPackage(infName);
}

const DriverNode* SimulatedPc::InstalledNode(const SimulatedDevice& device) const {
    if (device.driverInf.empty())
        return nullptr;
    for (const DriverNode& node : device.nodes)
        if (EqualsNoCase(node.infName, device.driverInf))
            return &node;
    return nullptr;
}

DriverPackage* SimulatedPc::FindPublished(std::string_view publishedName) {
    for (DriverPackage& package : packages)
        if (!package.deleted && EqualsNoCase(package.PublishedName(), publishedName))
            return &package;
    // A package added back under another name no longer answers to its old one.
    DriverPackage* described = FindPackage(publishedName);
    return described && described->deleted ? described : nullptr;
}

bool SimulatedPc::IsAvailable(const DriverNode& node) const {
    const DriverPackage* package = FindPackage(node.infName);
    return package && !package->deleted;
}

Misbehaviour SimulatedPc::MisbehaviourOf(std::string_view command) const {
    for (const auto& [name, misbehaviour] : misbehaviours)
        if (EqualsNoCase(name, command))
            return misbehaviour;
    return Misbehaviour::None;
}
