// Writing the simulated PC's class keys in .reg syntax.
#include "RegistryExport.h"

#include <algorithm>

namespace {

constexpr std::string_view kClassRoot = "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Class\\";

struct KnownClass {
    std::string_view guid;
    std::string_view name;
};

constexpr KnownClass kKnownClasses[] = {
    {"{4d36e968-e325-11ce-bfc1-08002be10318}", "Display"},   {"{4d36e96c-e325-11ce-bfc1-08002be10318}", "MEDIA"},
    {"{4d36e972-e325-11ce-bfc1-08002be10318}", "Net"},       {"{ca3e7ab9-b4c3-4ae6-8251-579ef933890f}", "Camera"},
    {"{e0cbf06c-cd8b-4647-bb8a-263b43f0f974}", "Bluetooth"}, {"{4d36e970-e325-11ce-bfc1-08002be10318}", "MTD"},
    {"{4d36e96f-e325-11ce-bfc1-08002be10318}", "Mouse"},     {"{4d36e97d-e325-11ce-bfc1-08002be10318}", "System"},
    {"{53d29ef7-377c-4d14-864b-eb3a85769359}", "Biometric"},
};

std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

bool IsDword(std::string_view data) {
    return data.size() == 14 && data.substr(0, 6) == "dword:" && std::all_of(data.begin() + 6, data.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The registry writes driver dates as m-d-yyyy.
std::string RegistryDate(std::string date) {
    std::replace(date.begin(), date.end(), '/', '-');
    return date;
}

} // namespace

std::string ClassKeysRegFile(const SimulatedPc& pc) {
    std::string text;
    std::vector<std::string> classes;
    for (const SimulatedDevice& device : pc.devices)
        if (!device.classGuid.empty() && device.presence != Presence::Removed &&
            std::none_of(classes.begin(), classes.end(),
                         [&](const std::string& guid) { return EqualsNoCase(guid, device.classGuid); }))
            classes.push_back(device.classGuid);
    for (const std::string& guid : classes) {
        text += "[" + std::string(kClassRoot) + guid + "]\n";
        for (const KnownClass& known : kKnownClasses)
            if (EqualsNoCase(known.guid, guid))
                text += "\"Class\"=" + Quoted(known.name) + "\n";
        text += "\n";
    }

    for (const SimulatedDevice& device : pc.devices) {
        if (device.classGuid.empty() || device.presence == Presence::Removed)
            continue;
        std::vector<RegistryValue> values;
        if (const DriverNode* node = pc.InstalledNode(device)) {
            const DriverPackage& package = *pc.FindPackage(node->infName);
            values = {{"DriverDesc", node->description},
                      {"MatchingDeviceId", Lower(node->matches)},
                      {"InfPath", package.infName},
                      {"InfSection", node->section},
                      {"ProviderName", package.provider},
                      {"DriverVersion", package.version},
                      {"DriverDate", RegistryDate(package.date)}};
        }
        // An extra replaces the standard value of its name, or adds a value.
        for (const RegistryValue& extra : device.registryExtras) {
            const auto same = std::find_if(values.begin(), values.end(), [&](const RegistryValue& value) {
                return EqualsNoCase(value.name, extra.name);
            });
            if (same != values.end())
                same->data = extra.data;
            else
                values.push_back(extra);
        }
        text += "[" + std::string(kClassRoot) + device.classGuid + "\\" + device.classSubkey + "]\n";
        for (const RegistryValue& value : values)
            text += Quoted(value.name) + "=" + (IsDword(value.data) ? value.data : Quoted(value.data)) + "\n";
        text += "\n";
    }
    return text;
}

std::string_view ClassNameOf(std::string_view classGuid) {
    for (const KnownClass& known : kKnownClasses)
        if (EqualsNoCase(known.guid, classGuid))
            return known.name;
    return {};
}
