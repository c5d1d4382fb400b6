// The stand-in's commands: driverfiles, drivernodes, dp_delete, remove and rescan (dp_add, dp_enum and update
// in PackageCommands.cpp).
#include "DevconCommands.h"
#include "PackageCommands.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::string_view kNewline = "\r\n";
constexpr std::string_view kInfFolder = "C:\\Windows\\INF\\";
constexpr size_t kRemoveColumn = 60;

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void Line(std::string& out, std::string_view text) {
    out += text;
    out += kNewline;
}

std::string Count(size_t count) {
    return std::to_string(count);
}

class Invocation {
public:
    Invocation(SimulatedPc& pc, std::string_view programName, const PackageDisk* disk = nullptr,
               const ShortDateFormat& shortDate = UsShortDate)
        : pc_(pc), program_(programName), disk_(disk), shortDate_(shortDate) {}

    DevconResult Run(const std::vector<std::string>& args) {
        size_t index = 0;
        for (; index < args.size() && !args[index].empty() && (args[index][0] == '-' || args[index][0] == '/');
             ++index) {
            const std::string_view option = std::string_view(args[index]).substr(1);
            if (EqualsNoCase(option, "r") || EqualsNoCase(option, "u"))
                continue;
            if (EqualsNoCase(option, "f"))
                force_ = true;
            else if (option.size() >= 2 && Upper(option[0]) == 'M' && option[1] == ':')
                remote_ = true;
            else
                return GeneralUsage();
        }
        if (index == args.size())
            return GeneralUsage();
        const std::string& command = args[index];
        for (const char c : command)
            command_ += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (pc_.failAll)
            return Failed();
        const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(index) + 1, args.end());
        switch (pc_.MisbehaviourOf(command)) {
        case Misbehaviour::None:
            break;
        case Misbehaviour::Mute: {
            DevconResult done = Dispatch(command, rest);
            done.out.clear();
            done.err.clear();
            return done;
        }
        case Misbehaviour::Garbage:
            // Bytes no Device Console prints: a terminal escape, a zero, invalid code-page bytes, a bare CR.
            result_.out = std::string("\x1b[2J\x01\x02 ", 8) + '\0' + "\xff\xfe\x81 ok?\r#%!@\r\n\xa1\r\n";
            return result_;
        default:
            result_.misbehaviour = pc_.MisbehaviourOf(command);
            return result_;
        }
        DevconResult done = Dispatch(command, rest);
        if (pc_.cLocale) {
            done.out = CutAtUnconvertible(done.out);
            done.err = CutAtUnconvertible(done.err);
        }
        return done;
    }

    DevconResult Failed() {
        Line(result_.err, FailureLine(program_, command_));
        result_.exitCode = kExitFail;
        return result_;
    }

private:
    using DeviceBlock = void (Invocation::*)(const SimulatedDevice&);

    DevconResult Dispatch(const std::string& command, const std::vector<std::string>& rest) {
        if (EqualsNoCase(command, "driverfiles"))
            return List("driverfiles", rest, &Invocation::DriverFiles);
        if (EqualsNoCase(command, "drivernodes"))
            return List("drivernodes", rest, &Invocation::DriverNodes);
        if (EqualsNoCase(command, "dp_delete"))
            return DeletePackage(rest);
        if (EqualsNoCase(command, "remove"))
            return Remove(rest);
        if (EqualsNoCase(command, "rescan"))
            return Rescan(rest);
        if (IsPackageCommand(command)) {
            if (remote_)
                return CommandUsage(command);
            result_ = RunPackageCommand(pc_, disk_, program_, command, rest, shortDate_);
            return result_;
        }
        return GeneralUsage();
    }

    DevconResult GeneralUsage() {
        Line(result_.err, program_ + " Usage: " + program_ + " [-r] [-m:\\\\<machine>] <command> [<arg>...]");
        Line(result_.err, "For more information, type: " + program_ + " help");
        result_.exitCode = kExitUsage;
        return result_;
    }

    DevconResult CommandUsage(std::string_view command) {
        Line(result_.err, program_ + ": Invalid use of " + std::string(command) + ".");
        Line(result_.err, "For more information, type: " + program_ + " help " + std::string(command));
        result_.exitCode = kExitUsage;
        return result_;
    }

    // Present devices that any of the patterns selects; a lone "*" selects them all.
    std::vector<SimulatedDevice*> Select(const std::vector<std::string>& patterns) {
        std::vector<SimulatedDevice*> selected;
        const bool all = patterns.size() == 1 && patterns[0] == "*";
        for (SimulatedDevice& device : pc_.devices) {
            if (device.presence != Presence::Present)
                continue;
            for (const std::string& pattern : patterns)
                if (all || DeviceMatches(device, pattern)) {
                    selected.push_back(&device);
                    break;
                }
        }
        return selected;
    }

    void Header(const SimulatedDevice& device) {
        Line(result_.out, device.instanceId);
        const DriverNode* installed = pc_.InstalledNode(device);
        const std::string& name = !device.name.empty() || !installed ? device.name : installed->description;
        if (!name.empty())
            Line(result_.out, "    Name: " + name);
    }

    DevconResult List(std::string_view command, const std::vector<std::string>& patterns, DeviceBlock block) {
        if (remote_ || patterns.empty())
            return CommandUsage(command);
        const std::vector<SimulatedDevice*> devices = Select(patterns);
        for (const SimulatedDevice* device : devices) {
            Header(*device);
            (this->*block)(*device);
        }
        Line(result_.out,
             devices.empty() ? "No matching devices found." : Count(devices.size()) + " matching device(s) found.");
        return result_;
    }

    void DriverFiles(const SimulatedDevice& device) {
        const DriverNode* node = pc_.InstalledNode(device);
        if (!node) {
            Line(result_.out, "    No driver information available for the device.");
            return;
        }
        const DriverPackage& package = *pc_.FindPackage(node->infName);
        std::string line = "    Driver installed from " + std::string(kInfFolder) + package.PublishedName() + " [" +
                           node->section + "]. ";
        if (package.files.empty()) {
            Line(result_.out, line + "The driver is not using any files.");
            return;
        }
        Line(result_.out, line + Count(package.files.size()) + " file(s) used by driver:");
        for (const std::string& file : package.files)
            Line(result_.out, "        " + file);
    }

    void DriverNodes(const SimulatedDevice& device) {
        static const struct {
            uint32_t flag;
            const char* text;
        } kFlagLines[] = {
            {0x400, "Inf came from the Internet"},
            {0x800, "Driver node is marked \"BAD\""},
            {0x2000, "Inf is digitally signed"},
            {0x4000, "Inf was installed by using F6 during text mode setup"},
            {0x10000, "Driver provides basic functionality when no signed driver is available."},
        };
        size_t number = 0;
        for (const DriverNode& node : device.nodes) {
            if (!pc_.IsAvailable(node))
                continue;
            const DriverPackage& package = *pc_.FindPackage(node.infName);
            Line(result_.out, "Driver node #" + Count(number++) + ":");
            Line(result_.out, "    Inf file is " + std::string(kInfFolder) + package.PublishedName());
            Line(result_.out, "    Inf section is " + node.section);
            Line(result_.out, "    Driver description is " + node.description);
            Line(result_.out, "    Manufacturer name is " + package.manufacturer);
            Line(result_.out, "    Provider name is " + package.provider);
            if (!package.date.empty())
                Line(result_.out, "    Driver date is " + LocaleDate(package.date, shortDate_));
            Line(result_.out, "    Driver version is " + (package.version.empty() ? "0.0.0.0" : package.version));
            Line(result_.out, "    Driver node rank is " + std::to_string(node.rank));
            char flags[9];
            std::snprintf(flags, sizeof flags, "%08X", static_cast<unsigned>(package.flags));
            Line(result_.out, "    Driver node flags are " + std::string(flags));
            for (const auto& flagLine : kFlagLines)
                if (package.flags & flagLine.flag)
                    Line(result_.out, std::string("        ") + flagLine.text);
        }
        if (number == 0)
            Line(result_.out, "    No driver nodes found for this device.");
    }

    // Only the file-name part of the argument names the package.
    DevconResult DeletePackage(const std::vector<std::string>& args) {
        if (remote_ || args.empty())
            return CommandUsage("dp_delete");
        const std::string& path = args[0];
        const size_t slash = path.find_last_of("\\/");
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (name.empty()) {
            Line(result_.out, "The specified INF path is not valid.");
            return Failed();
        }
        DriverPackage* package = pc_.FindPublished(name);
        if (!package || package->deleted || package->inbox) {
            Line(result_.out, "Deleting the specified driver package from the machine failed");
            Line(result_.out, "because it is not an third-party package.");
            return Failed();
        }
        if (IsInUse(*package)) {
            Line(result_.out, "Deleting the specified driver package from the machine failed");
            Line(result_.out, "because it is in use by a device.");
            return Failed();
        }
        if (package->deleteFails) {
            Line(result_.out, "Deleting the specified driver package from the machine failed.");
            return Failed();
        }
        package->deleted = true;
        result_.changed = true;
        Line(result_.out, "Driver package '" + name + "' deleted.");
        return result_;
    }

    // Any device installed from the package, present or not (unplugged), holds it. The force lets the deletion
    // through only for packages whose files do not run from the driver store: Windows ignores it for the others.
    // A removed device is uninstalled and holds nothing.
    bool IsInUse(const DriverPackage& package) const {
        for (const SimulatedDevice& device : pc_.devices) {
            if (EqualsNoCase(device.driverInf, package.infName) && (!force_ || package.runsFromStore))
                return true;
        }
        return false;
    }

    DevconResult Remove(const std::vector<std::string>& patterns) {
        if (remote_ || patterns.empty())
            return CommandUsage("remove");
        size_t removed = 0;
        size_t onReboot = 0;
        for (SimulatedDevice* device : Select(patterns)) {
            std::string line = device->instanceId;
            if (line.size() < kRemoveColumn)
                line.append(kRemoveColumn - line.size(), ' ');
            switch (device->removeResult) {
            case RemoveResult::Removed:
                device->presence = Presence::Removed;
                device->driverInf.clear(); // uninstalled: a rescan installs it anew
                result_.changed = true;
                ++removed;
                Line(result_.out, line + ": Removed");
                break;
            case RemoveResult::Reboot:
                ++onReboot;
                Line(result_.out, line + ": Removed on reboot");
                break;
            case RemoveResult::Fails:
                Line(result_.out, line + ": Remove failed");
                break;
            }
        }
        if (onReboot > 0) {
            Line(result_.out, "The " + Count(removed + onReboot) +
                                  " device(s) are ready to be removed. To remove the devices, reboot the system.");
            result_.exitCode = kExitReboot;
        } else if (removed > 0) {
            Line(result_.out, Count(removed) + " device(s) were removed.");
        } else {
            Line(result_.out, "No devices were removed.");
        }
        return result_;
    }

    // Removed devices come back, installed from their best node still in the store (lowest rank, the first
    // of equals); unplugged ones stay away.
    DevconResult Rescan(const std::vector<std::string>& args) {
        if (!args.empty())
            return CommandUsage("rescan");
        Line(result_.out, "Scanning for new hardware.");
        if (remote_ || pc_.rescanFails)
            return Failed();
        for (SimulatedDevice& device : pc_.devices) {
            if (device.presence != Presence::Removed)
                continue;
            const DriverNode* best = nullptr;
            for (const DriverNode& node : device.nodes)
                if (pc_.IsAvailable(node) && (!best || node.rank < best->rank))
                    best = &node;
            device.presence = Presence::Present;
            device.driverInf = best ? best->infName : "";
            result_.changed = true;
        }
        Line(result_.out, "Scanning completed.");
        return result_;
    }

    SimulatedPc& pc_;
    std::string program_;
    std::string command_; // in lower case, as the failure line names it
    bool force_ = false;
    bool remote_ = false;
    const PackageDisk* disk_;
    ShortDateFormat shortDate_;
    DevconResult result_;
};

} // namespace

DevconResult RunDevcon(SimulatedPc& pc, std::string_view programName, const std::vector<std::string>& args,
                       const PackageDisk* disk, const ShortDateFormat& shortDate) {
    return Invocation(pc, programName, disk, shortDate).Run(args);
}

DevconResult DevconFailure(std::string_view programName, const std::vector<std::string>& args) {
    SimulatedPc failing;
    failing.failAll = true; // the command fails as it would with its options read: a usage error stays one
    return Invocation(failing, programName).Run(args);
}

std::string FailureLine(std::string_view programName, std::string_view command) {
    return std::string(programName) + ": command " + std::string(command) + " failed";
}

std::string CutAtUnconvertible(std::string_view text) {
    std::string written;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
        text.remove_prefix(line.size());
        const auto unconvertible =
            std::find_if(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        written.append(line.begin(), unconvertible);
    }
    return written;
}

std::string UsShortDate(int year, int month, int day) {
    return std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year);
}

std::string LocaleDate(std::string_view date, const ShortDateFormat& format) {
    int parts[3] = {};
    size_t part = 0;
    size_t digits = 0;
    for (const char c : date) {
        if (c >= '0' && c <= '9' && digits < 4) {
            parts[part] = parts[part] * 10 + (c - '0');
            ++digits;
        } else if (c == '/' && digits > 0 && part < 2) {
            ++part;
            digits = 0;
        } else {
            return std::string(date);
        }
    }
    if (part != 2 || digits == 0)
        return std::string(date);
    return format(parts[2], parts[0], parts[1]);
}

bool WildcardMatch(std::string_view pattern, std::string_view text) {
    size_t p = 0;
    size_t t = 0;
    size_t star = std::string_view::npos; // position after the last "*" seen
    size_t resume = 0;                    // where the text continues when that "*" takes one more character
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = ++p;
            resume = t;
        } else if (p < pattern.size() && Upper(pattern[p]) == Upper(text[t])) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool DeviceMatches(const SimulatedDevice& device, std::string_view pattern) {
    const bool instance = !pattern.empty() && pattern[0] == '@';
    if (instance)
        pattern.remove_prefix(1);
    const bool literal = !pattern.empty() && pattern[0] == '\'';
    if (literal)
        pattern.remove_prefix(1);
    const auto matches = [&](const std::string& id) {
        return literal ? EqualsNoCase(pattern, id) : WildcardMatch(pattern, id);
    };
    if (instance)
        return matches(device.instanceId);
    for (const std::string& id : device.hardwareIds)
        if (matches(id))
            return true;
    for (const std::string& id : device.compatibleIds)
        if (matches(id))
            return true;
    return false;
}
