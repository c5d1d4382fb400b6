// The simulated PC behind the Device Console stand-in: devices, their driver nodes and the driver store, read
// from a line-based UTF-8 description (demo/README.md) and written back with only the state lines changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A package of the driver store, C:\Windows\INF\<infName>.
struct DriverPackage {
    std::string infName;
    bool inbox = false;
    std::string provider;
    std::string manufacturer;
    std::string date;    // m/d/yyyy as described, or empty; printed in the user's locale
    std::string version; // a.b.c.d
    uint32_t flags = 0;
    bool runsFromStore = false; // a forced delete is ignored while a present device uses it
    bool deleteFails = false;   // every delete fails with the "other error" text
    bool deleted = false;       // state: gone from the store
    std::string published;      // state: the oemN.inf name it was added back under, empty for its own name
    std::vector<std::string> files;
    int line = 0;
    int deletedLine = -1;
    int publishedLine = -1;

    // The name Windows knows the package by: C:\Windows\INF\<name>.
    const std::string& PublishedName() const { return published.empty() ? infName : published; }
};

// One driver node of a device: a model of a package that matches the device.
struct DriverNode {
    std::string infName;
    std::string section;
    std::string description;
    std::string matches; // the hardware ID the model names; the device's first hardware ID when not given
    uint32_t rank = 0;
};

enum class Presence { Present, Removed, Unplugged };

// How every invocation of one command misbehaves, so that the tool can be tried against a broken or hostile
// Device Console: it never ends, disappears from the program folder, prints nothing (doing nothing or doing its
// work), or prints garbage.
enum class Misbehaviour { None, Hang, Vanish, Silent, Mute, Garbage };
enum class RemoveResult { Removed, Reboot, Fails };

struct RegistryValue {
    std::string name;
    std::string data;
};

struct SimulatedDevice {
    std::string instanceId;
    std::string name;
    std::vector<std::string> hardwareIds;
    std::vector<std::string> compatibleIds;
    std::string classGuid;   // {xxxxxxxx-...}, empty when the device has no class key
    std::string classSubkey; // NNNN
    std::vector<DriverNode> nodes;
    std::string driverInf; // state: the package the device is installed from, empty for none
    Presence presence = Presence::Present;
    RemoveResult removeResult = RemoveResult::Removed;
    std::vector<RegistryValue> registryExtras;
    int line = 0;
    int presenceLine = -1;
    int driverLine = -1;
};

struct DescriptionError {
    int line = 0; // 1-based, 0 when not tied to a line
    std::string message;
};

class SimulatedPc {
public:
    static std::optional<SimulatedPc> Parse(std::string_view text, DescriptionError& error);

    // The description as read, with the state lines (present, driver, deleted) rewritten or added.
    std::string Save() const;

    DriverPackage* FindPackage(std::string_view infName);
    const DriverPackage* FindPackage(std::string_view infName) const;
    // The package in the store under a published name; otherwise the package described under that name
    // (deleted or inbox), or null.
    DriverPackage* FindPublished(std::string_view publishedName);
    // The node the device is installed from, or null.
    const DriverNode* InstalledNode(const SimulatedDevice& device) const;
    // True when the node's package is still in the store.
    bool IsAvailable(const DriverNode& node) const;

    // What the named command (any case) does instead of behaving; None for any command not named.
    Misbehaviour MisbehaviourOf(std::string_view command) const;

    bool failAll = false;
    bool rescanFails = false;
    // Messages are written as the tool's C runtime writes them in the "C" locale: each one ends at its first
    // character outside ASCII, line break included, so the next message goes on on the same line.
    bool cLocale = false;
    std::vector<std::pair<std::string, Misbehaviour>> misbehaviours;
    std::vector<SimulatedDevice> devices;
    std::vector<DriverPackage> packages;

private:
    std::vector<std::string> lines_;
    bool crlf_ = false;
    bool finalNewline_ = true;
};

// ASCII case-insensitive equality, as device IDs and INF names compare.
bool EqualsNoCase(std::string_view a, std::string_view b);
