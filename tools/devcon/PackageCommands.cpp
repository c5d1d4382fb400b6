// dp_add and update find the package an INF belongs to by its bytes, and take it only with the catalogue and
// driver beside it unchanged, as Windows checks a signed package; dp_enum lists the third-party packages.
#include "PackageCommands.h"

#include "PackageStore.h"
#include "RegistryExport.h"

#include <algorithm>

namespace {

void Line(std::string& out, std::string_view text) {
    out += text;
    out += "\r\n";
}

DevconResult Failed(DevconResult result, const std::string& program, std::string_view command) {
    Line(result.err, FailureLine(program, command));
    result.exitCode = kExitFail;
    return result;
}

DevconResult Usage(const std::string& program, std::string_view command) {
    DevconResult result;
    Line(result.err, program + ": Invalid use of " + std::string(command) + ".");
    Line(result.err, "For more information, type: " + program + " help " + std::string(command));
    result.exitCode = kExitUsage;
    return result;
}

bool IsFullInfPath(std::string_view path) {
    const bool drive = path.size() > 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    const bool unc = path.size() > 2 && path.substr(0, 2) == "\\\\";
    return (drive || unc) && path.size() > 4 && EqualsNoCase(path.substr(path.size() - 4), ".inf");
}

// The third-party package whose files lie beside the INF at `path`, or null.
DriverPackage* PackageOf(SimulatedPc& pc, const PackageDisk& disk, const std::string& path) {
    const auto inf = disk.read(path);
    if (!inf)
        return nullptr;
    const std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    for (DriverPackage& package : pc.packages) {
        if (!HasStoreFiles(package))
            continue;
        const std::vector<StoreFile> files = PackageStoreFiles(pc, package);
        if (files.front().bytes != *inf)
            continue;
        const bool complete = std::all_of(files.begin() + 1, files.end(), [&](const StoreFile& file) {
            const auto bytes = disk.read(folder + file.name);
            return bytes && *bytes == file.bytes;
        });
        return complete ? &package : nullptr;
    }
    return nullptr;
}

// Windows publishes a package it takes in as the lowest oemN.inf not in use.
void Publish(SimulatedPc& pc, DriverPackage& package) {
    for (int number = 0;; ++number) {
        const std::string name = "oem" + std::to_string(number) + ".inf";
        const bool taken = std::any_of(pc.packages.begin(), pc.packages.end(), [&](const DriverPackage& other) {
            return !other.deleted && EqualsNoCase(other.PublishedName(), name);
        });
        if (taken)
            continue;
        package.deleted = false;
        package.published = EqualsNoCase(name, package.infName) ? "" : name;
        return;
    }
}

DevconResult Add(SimulatedPc& pc, const PackageDisk& disk, const std::string& program,
                 const std::vector<std::string>& args) {
    if (args.empty())
        return Usage(program, "dp_add");
    DevconResult result;
    const std::string& path = args[0];
    if (!IsFullInfPath(path) || !disk.read(path)) {
        Line(result.out, "The specified INF path is not valid.");
        return Failed(result, program, "dp_add");
    }
    DriverPackage* package = PackageOf(pc, disk, path);
    if (!package) {
        Line(result.out, "Adding the specified driver package to the machine failed.");
        return Failed(result, program, "dp_add");
    }
    if (package->deleted) {
        Publish(pc, *package);
        result.changed = true;
    }
    Line(result.out, "Driver package '" + package->PublishedName() + "' added.");
    return result;
}

std::string ClassOf(const SimulatedPc& pc, const DriverPackage& package) {
    for (const SimulatedDevice& device : pc.devices)
        for (const DriverNode& node : device.nodes)
            if (EqualsNoCase(node.infName, package.infName) && !ClassNameOf(device.classGuid).empty())
                return std::string(ClassNameOf(device.classGuid));
    return "unknown";
}

int OemNumber(std::string_view name) {
    int number = 0;
    for (const char c : name.substr(3))
        if (c >= '0' && c <= '9')
            number = number * 10 + (c - '0');
        else
            break;
    return number;
}

DevconResult Enumerate(const SimulatedPc& pc, const ShortDateFormat& shortDate) {
    std::vector<const DriverPackage*> listed;
    for (const DriverPackage& package : pc.packages)
        if (HasStoreFiles(package) && !package.deleted)
            listed.push_back(&package);
    std::sort(listed.begin(), listed.end(), [](const DriverPackage* a, const DriverPackage* b) {
        return OemNumber(a->PublishedName()) < OemNumber(b->PublishedName());
    });
    DevconResult result;
    if (listed.empty()) {
        Line(result.out, "There are no third-party driver packages on this machine.");
        return result;
    }
    Line(result.out, "The following third-party driver packages are installed on this computer:");
    const auto field = [](const std::string& value) { return value.empty() ? std::string("unknown") : value; };
    for (const DriverPackage* package : listed) {
        Line(result.out, package->PublishedName());
        Line(result.out, "    Provider: " + field(package->provider));
        Line(result.out, "    Class: " + ClassOf(pc, *package));
        Line(result.out, "    Signer: " + std::string(package->flags & 0x2000 ? "Microsoft Windows Hardware "
                                                                                "Compatibility Publisher"
                                                                              : "unknown"));
        Line(result.out, "    Date: " + field(LocaleDate(package->date, shortDate)));
        Line(result.out, "    Version: " + field(package->version));
    }
    return result;
}

// Installs the package on every present device that has the hardware (or compatible) ID and a model of it;
// a package that is not in the store is taken in first.
DevconResult Update(SimulatedPc& pc, const PackageDisk& disk, const std::string& program,
                    const std::vector<std::string>& args) {
    if (args.size() != 2)
        return Usage(program, "update");
    DevconResult result;
    const std::string& path = args[0];
    const std::string& hardwareId = args[1];
    if (!IsFullInfPath(path) || !disk.read(path))
        return Failed(result, program, "update");
    Line(result.out, "Updating drivers for " + hardwareId + " from " + path + ".");
    DriverPackage* package = PackageOf(pc, disk, path);
    if (!package)
        return Failed(result, program, "update");
    std::vector<SimulatedDevice*> devices;
    for (SimulatedDevice& device : pc.devices) {
        if (device.presence != Presence::Present)
            continue;
        const auto hasId = [&](const std::vector<std::string>& ids) {
            return std::any_of(ids.begin(), ids.end(),
                               [&](const std::string& id) { return EqualsNoCase(id, hardwareId); });
        };
        const bool hasNode = std::any_of(device.nodes.begin(), device.nodes.end(), [&](const DriverNode& node) {
            return EqualsNoCase(node.infName, package->infName);
        });
        if ((hasId(device.hardwareIds) || hasId(device.compatibleIds)) && hasNode)
            devices.push_back(&device);
    }
    if (devices.empty())
        return Failed(result, program, "update");
    if (package->deleted)
        Publish(pc, *package);
    for (SimulatedDevice* device : devices)
        device->driverInf = package->infName;
    result.changed = true;
    Line(result.out, "Drivers installed successfully.");
    return result;
}

} // namespace

bool IsPackageCommand(std::string_view command) {
    return EqualsNoCase(command, "dp_add") || EqualsNoCase(command, "dp_enum") || EqualsNoCase(command, "update");
}

DevconResult RunPackageCommand(SimulatedPc& pc, const PackageDisk* disk, const std::string& program,
                               std::string_view command, const std::vector<std::string>& args,
                               const ShortDateFormat& shortDate) {
    static const PackageDisk kNoDisk{"amd64", [](const std::string&) { return std::optional<std::string>(); }};
    const PackageDisk& files = disk ? *disk : kNoDisk;
    if (EqualsNoCase(command, "dp_enum"))
        return Enumerate(pc, shortDate);
    if (EqualsNoCase(command, "dp_add"))
        return Add(pc, files, program, args);
    return Update(pc, files, program, args);
}
