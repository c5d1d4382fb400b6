// Made-up but stable package files: an INF that names the package's models, a catalogue with the digests of
// the other files, and a driver of some tens of kilobytes.
#include "PackageStore.h"

#include <cstdint>
#include <cstdio>
#include <set>

namespace {

constexpr std::string_view kRepository = "\\FILEREPOSITORY\\";

uint64_t Fnv(std::string_view text, uint64_t hash = 1469598103934665603ull) {
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The store folder a `file` line of the description names ("iigd_dch.inf_amd64_1c2b2b6e5e0a1c3d"), if any.
std::string RepositoryFolder(const DriverPackage& package) {
    for (const std::string& file : package.files) {
        const size_t at = Upper(file).find(kRepository);
        if (at == std::string::npos)
            continue;
        const std::string rest = file.substr(at + kRepository.size());
        return rest.substr(0, rest.find('\\'));
    }
    return {};
}

std::string Stem(std::string_view name) {
    return std::string(name.substr(0, name.rfind('.')));
}

std::string Line(std::string_view text) {
    return std::string(text) + "\r\n";
}

} // namespace

std::string OriginalInfName(const DriverPackage& package) {
    const std::string folder = RepositoryFolder(package);
    const size_t inf = Lower(folder).find(".inf_");
    if (inf != std::string::npos)
        return Lower(folder.substr(0, inf + 4));
    if (!package.files.empty()) {
        const std::string& file = package.files.front();
        return Lower(Stem(file.substr(file.find_last_of('\\') + 1))) + ".inf";
    }
    return Lower(Stem(package.infName)) + "_drv.inf";
}

std::string StoreFolderName(const DriverPackage& package, std::string_view arch) {
    const std::string folder = RepositoryFolder(package);
    const size_t last = folder.rfind('_');
    const std::string hash = last != std::string::npos && folder.size() - last == 17
                                 ? Lower(folder.substr(last + 1))
                                 : Hex(Fnv(package.infName + "|" + package.version + "|" + package.provider));
    return OriginalInfName(package) + "_" + std::string(arch) + "_" + hash;
}

std::vector<StoreFile> PackageStoreFiles(const SimulatedPc& pc, const DriverPackage& package) {
    const std::string original = OriginalInfName(package);
    const std::string stem = Stem(original);

    std::string inf = Line("; " + original);
    inf += Line("; Copyright (c) " + package.provider);
    inf += Line("");
    inf += Line("[Version]");
    inf += Line("Signature   = \"$WINDOWS NT$\"");
    inf += Line("Provider    = %ProviderName%");
    inf += Line("DriverVer   = " + (package.date.empty() ? std::string("1/1/2000") : package.date) + "," +
                (package.version.empty() ? std::string("0.0.0.0") : package.version));
    inf += Line("CatalogFile = " + stem + ".cat");
    inf += Line("");
    inf += Line("[Manufacturer]");
    inf += Line("%ProviderName% = Models,NTx86,NTamd64");
    std::string models;
    std::string strings;
    std::set<std::string> seen;
    int number = 0;
    for (const SimulatedDevice& device : pc.devices)
        for (const DriverNode& node : device.nodes) {
            if (!EqualsNoCase(node.infName, package.infName) ||
                !seen.insert(node.section + "|" + node.matches + "|" + node.description).second)
                continue;
            const std::string key = "Model" + std::to_string(++number);
            models += Line("%" + key + "% = " + node.section + ", " + node.matches);
            strings += Line(key + " = \"" + node.description + "\"");
        }
    for (const char* arch : {"NTx86", "NTamd64"}) {
        inf += Line("");
        inf += Line(std::string("[Models.") + arch + "]");
        inf += models;
    }
    inf += Line("");
    inf += Line("[SourceDisksFiles]");
    inf += Line(stem + ".sys = 1");
    inf += Line("");
    inf += Line("[Strings]");
    inf += Line("ProviderName = \"" + package.provider + "\"");
    inf += strings;

    // A driver of 24 to 88 KiB of noise that depends only on the package.
    uint64_t state = Fnv(inf) | 1;
    std::string driver = "MZ";
    driver.resize(24 * 1024 + state % (64 * 1024));
    for (size_t i = 2; i < driver.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        driver[i] = static_cast<char>(state & 0xFF);
    }

    std::string catalogue = Line("[CatalogHeader]");
    catalogue += Line("Name=" + stem + ".cat");
    catalogue += Line("[CatalogFiles]");
    catalogue += Line("<hash>" + original + "=" + Hex(Fnv(inf)));
    catalogue += Line("<hash>" + stem + ".sys=" + Hex(Fnv(driver)));

    return {{original, inf}, {stem + ".cat", catalogue}, {stem + ".sys", driver}};
}

std::string PnfName(std::string_view publishedName) {
    return Stem(publishedName) + ".PNF";
}

std::string PackagePnf(const SimulatedPc& pc, const DriverPackage& package) {
    const std::string inf = PackageStoreFiles(pc, package).front().bytes;
    return std::string("\x01\x03\x02\x00PNF", 7) + Lower(package.PublishedName()) + "|" + Hex(Fnv(inf)) + "\r\n";
}
