// The Device Console stand-in: its description format, pattern matching, output texts, state changes and
// the registry keys it derives for a simulated PC.
#include "DevconCommands.h"
#include "RegistryExport.h"
#include "SimulatedPc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace {

// Two instances of one card (three packages, the current one running from the driver store), a device
// without driver or name, and a webcam that is not plugged in.
const char* const kPc = R"(# test PC
package oem5.inf
    provider        Contoso
    manufacturer    Contoso Ltd.
    date            6/1/2021
    version         1.2.3.4
    flags           00002C00
    runs-from-store yes
    file C:\Windows\system32\DRIVERS\contoso.sys
    file C:\Windows\system32\contoso.dll
package oem6.inf
    provider        Contoso
    manufacturer    Contoso Ltd.
    version         1.0.0.0
    flags           0x14000
package generic.inf
    inbox    yes
    provider Microsoft
    manufacturer Microsoft
    date     6/21/2006
    version  10.0.19041.1
package oem9.inf
    provider Fabrikam
    file C:\Windows\system32\DRIVERS\cam.sys

device PCI\VEN_1234&DEV_0001&SUBSYS_00011234&REV_01\3&AB&0&10
    name          测试显卡
    hardware-id   PCI\VEN_1234&DEV_0001&SUBSYS_00011234&REV_01
    compatible-id PCI\VEN_1234&DEV_0001
    class         {4d36e968-e325-11ce-bfc1-08002be10318} 0000
    driver        oem5.inf
    node oem5.inf
        section     Contoso_Install
        description Contoso 显卡
        matches     PCI\VEN_1234&DEV_0001
        rank        0x00FF2000
    node oem6.inf
        section     Contoso_Old
        description Contoso 显卡
        rank        16719873
    node generic.inf
        section     MSBDA
        description Basic Display
        rank        16723969
device PCI\VEN_1234&DEV_0001&SUBSYS_00011234&REV_01\3&AB&0&18
    hardware-id   PCI\VEN_1234&DEV_0001&SUBSYS_00011234&REV_01
    class         {4d36e968-e325-11ce-bfc1-08002be10318} 0001
    driver        oem5.inf
    remove-result reboot
    node oem5.inf
        section     Contoso_Install
        description Contoso 显卡
        rank        16719872
device ROOT\UNKNOWN\0000
    hardware-id   ROOT\UNKNOWN
device USB\VID_5986&PID_0001\6&1
    name          Webcam
    hardware-id   USB\VID_5986&PID_0001
    class         {ca3e7ab9-b4c3-4ae6-8251-579ef933890f} 0000
    present       unplugged
    driver        oem9.inf
    node oem9.inf
        section     Cam
        description Webcam
        rank        1
)";

const std::string kCard1 = "PCI\\VEN_1234&DEV_0001&SUBSYS_00011234&REV_01\\3&AB&0&10";
const std::string kCard2 = "PCI\\VEN_1234&DEV_0001&SUBSYS_00011234&REV_01\\3&AB&0&18";

SimulatedPc Load(const std::string& text) {
    DescriptionError error;
    auto pc = SimulatedPc::Parse(text, error);
    EXPECT_TRUE(pc) << "line " << error.line << ": " << error.message;
    return pc ? *pc : SimulatedPc{};
}

// Arguments split at blanks, as the C runtime splits an unquoted command line.
DevconResult Devcon(SimulatedPc& pc, const std::string& line) {
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string word; words >> word;)
        args.push_back(word);
    return RunDevcon(pc, "devcon", args);
}

const SimulatedDevice& Device(const SimulatedPc& pc, const std::string& instanceId) {
    for (const SimulatedDevice& device : pc.devices)
        if (device.instanceId == instanceId)
            return device;
    throw std::runtime_error("no device " + instanceId);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(DevconMatching, WildcardsMatchWholeIdsCaseInsensitively) {
    EXPECT_TRUE(WildcardMatch("*PCI\\VEN_8086&DEV_3E9B*", "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00"));
    EXPECT_TRUE(WildcardMatch("pci\\ven_8086*", "PCI\\VEN_8086&DEV_3E9B"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("A*B*C", "AxxBBxC"));
    EXPECT_TRUE(WildcardMatch("**A", "A"));
    EXPECT_FALSE(WildcardMatch("PCI\\VEN_8086", "PCI\\VEN_8086&DEV_3E9B")); // the whole ID must match
    EXPECT_FALSE(WildcardMatch("*DEV_3E9B", "PCI\\VEN_8086&DEV_3E9B&REV_00"));
    EXPECT_FALSE(WildcardMatch("PCI?VEN", "PCI\\VEN")); // no "?" wildcard
    EXPECT_FALSE(WildcardMatch("A*B*C", "AxxBBx"));
}

TEST(DevconMatching, DevicePatternsUseHardwareCompatibleOrInstanceIds) {
    const SimulatedPc pc = Load(kPc);
    const SimulatedDevice& card = Device(pc, kCard1);
    EXPECT_TRUE(DeviceMatches(card, "*VEN_1234&DEV_0001*"));
    EXPECT_TRUE(DeviceMatches(card, "pci\\ven_1234&dev_0001")); // a compatible ID, whole
    EXPECT_FALSE(DeviceMatches(card, "PCI\\VEN_1234"));
    EXPECT_FALSE(DeviceMatches(card, "*&0&10")); // instance IDs only after "@"
    EXPECT_TRUE(DeviceMatches(card, "@*&0&10"));
    EXPECT_FALSE(DeviceMatches(card, "@*&0&18"));
    EXPECT_TRUE(DeviceMatches(card, "'PCI\\VEN_1234&DEV_0001"));
    EXPECT_FALSE(DeviceMatches(card, "'PCI\\VEN_1234*")); // literal: "*" is a character
    EXPECT_TRUE(DeviceMatches(card, "@'" + kCard1));
}

TEST(DevconListing, DriverFilesPrintsTheInstalledDriverOfEveryPresentMatch) {
    SimulatedPc pc = Load(kPc);
    const DevconResult result = Devcon(pc, "driverfiles *PCI\\VEN_1234&DEV_0001* *VID_5986*");
    EXPECT_EQ(result.out, kCard1 +
                              "\r\n"
                              "    Name: 测试显卡\r\n"
                              "    Driver installed from C:\\Windows\\INF\\oem5.inf [Contoso_Install]. 2 file(s) "
                              "used by driver:\r\n"
                              "        C:\\Windows\\system32\\DRIVERS\\contoso.sys\r\n"
                              "        C:\\Windows\\system32\\contoso.dll\r\n" +
                              kCard2 +
                              "\r\n"
                              "    Name: Contoso 显卡\r\n" // no name: the installed node's description
                              "    Driver installed from C:\\Windows\\INF\\oem5.inf [Contoso_Install]. 2 file(s) "
                              "used by driver:\r\n"
                              "        C:\\Windows\\system32\\DRIVERS\\contoso.sys\r\n"
                              "        C:\\Windows\\system32\\contoso.dll\r\n"
                              "2 matching device(s) found.\r\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitCode, kExitOk);
    EXPECT_FALSE(result.changed);

    const DevconResult bare = Devcon(pc, "driverfiles ROOT\\UNKNOWN");
    EXPECT_EQ(bare.out, "ROOT\\UNKNOWN\\0000\r\n"
                        "    No driver information available for the device.\r\n"
                        "1 matching device(s) found.\r\n");
    EXPECT_EQ(Devcon(pc, "driverfiles *VID_5986*").out, "No matching devices found.\r\n");

    pc.FindPackage("oem5.inf")->files.clear();
    EXPECT_NE(
        Devcon(pc, "driverfiles @*&0&10")
            .out.find(
                "    Driver installed from C:\\Windows\\INF\\oem5.inf [Contoso_Install]. The driver is not using any "
                "files.\r\n1 matching"),
        std::string::npos);
}

TEST(DevconListing, DriverNodesPrintsEveryNodeStillInTheStore) {
    SimulatedPc pc = Load(kPc);
    const std::string nodes = "Driver node #0:\r\n"
                              "    Inf file is C:\\Windows\\INF\\oem5.inf\r\n"
                              "    Inf section is Contoso_Install\r\n"
                              "    Driver description is Contoso 显卡\r\n"
                              "    Manufacturer name is Contoso Ltd.\r\n"
                              "    Provider name is Contoso\r\n"
                              "    Driver date is 6/1/2021\r\n"
                              "    Driver version is 1.2.3.4\r\n"
                              "    Driver node rank is 16719872\r\n"
                              "    Driver node flags are 00002C00\r\n"
                              "        Inf came from the Internet\r\n"
                              "        Driver node is marked \"BAD\"\r\n"
                              "        Inf is digitally signed\r\n"
                              "Driver node #1:\r\n"
                              "    Inf file is C:\\Windows\\INF\\oem6.inf\r\n"
                              "    Inf section is Contoso_Old\r\n"
                              "    Driver description is Contoso 显卡\r\n"
                              "    Manufacturer name is Contoso Ltd.\r\n"
                              "    Provider name is Contoso\r\n"
                              "    Driver version is 1.0.0.0\r\n"
                              "    Driver node rank is 16719873\r\n"
                              "    Driver node flags are 00014000\r\n"
                              "        Inf was installed by using F6 during text mode setup\r\n"
                              "        Driver provides basic functionality when no signed driver is available.\r\n"
                              "Driver node #2:\r\n"
                              "    Inf file is C:\\Windows\\INF\\generic.inf\r\n"
                              "    Inf section is MSBDA\r\n"
                              "    Driver description is Basic Display\r\n"
                              "    Manufacturer name is Microsoft\r\n"
                              "    Provider name is Microsoft\r\n"
                              "    Driver date is 6/21/2006\r\n"
                              "    Driver version is 10.0.19041.1\r\n"
                              "    Driver node rank is 16723969\r\n"
                              "    Driver node flags are 00000000\r\n";
    EXPECT_EQ(Devcon(pc, "drivernodes @" + kCard1).out,
              kCard1 + "\r\n    Name: 测试显卡\r\n" + nodes + "1 matching device(s) found.\r\n");

    pc.FindPackage("oem6.inf")->deleted = true;
    const std::string afterDelete = Devcon(pc, "drivernodes @" + kCard1).out;
    EXPECT_EQ(afterDelete.find("oem6.inf"), std::string::npos);
    EXPECT_NE(afterDelete.find("Driver node #1:\r\n    Inf file is C:\\Windows\\INF\\generic.inf"), std::string::npos);

    EXPECT_EQ(Devcon(pc, "DRIVERNODES rOOt\\*").out, "ROOT\\UNKNOWN\\0000\r\n"
                                                     "    No driver nodes found for this device.\r\n"
                                                     "1 matching device(s) found.\r\n");
    // A lone "*" selects every present device, one without any ID too.
    pc.devices[2].hardwareIds.clear();
    EXPECT_NE(Devcon(pc, "drivernodes *").out.find("\r\n3 matching device(s) found.\r\n"), std::string::npos);
}

TEST(DevconDelete, RefusalsAndDeletionFollowTheStoreAndTheDevices) {
    SimulatedPc pc = Load(kPc);
    const std::string inUse = "Deleting the specified driver package from the machine failed\r\n"
                              "because it is in use by a device.\r\n";
    const std::string notOem = "Deleting the specified driver package from the machine failed\r\n"
                               "because it is not an third-party package.\r\n";

    // Unforced: a package any device was installed from is held, even by an unplugged one.
    for (const char* command : {"dp_delete oem5.inf", "dp_delete oem9.inf", "dp_delete -f oem9.inf"}) {
        const DevconResult refused = Devcon(pc, command);
        EXPECT_EQ(refused.out, command == std::string("dp_delete -f oem9.inf") ? notOem : inUse) << command;
        EXPECT_EQ(refused.err, "devcon: command dp_delete failed\r\n");
        EXPECT_EQ(refused.exitCode, kExitFail);
        EXPECT_FALSE(refused.changed);
    }
    // Forced: honoured for an unplugged device's package, ignored for one running from the store.
    const DevconResult forced = Devcon(pc, "-f dp_delete C:\\Windows\\INF\\OEM9.INF");
    EXPECT_EQ(forced.out, "Driver package 'OEM9.INF' deleted.\r\n");
    EXPECT_EQ(forced.exitCode, kExitOk);
    EXPECT_TRUE(forced.changed);
    EXPECT_TRUE(pc.FindPackage("oem9.inf")->deleted);
    EXPECT_EQ(Devcon(pc, "-f dp_delete oem9.inf").out, notOem);
    EXPECT_EQ(Devcon(pc, "/F dp_delete oem5.inf").out, inUse);

    // A package nobody is installed from goes without force; inbox packages never go.
    EXPECT_EQ(Devcon(pc, "dp_delete oem6.inf").out, "Driver package 'oem6.inf' deleted.\r\n");
    EXPECT_EQ(Devcon(pc, "-f dp_delete generic.inf").out, notOem);
    EXPECT_EQ(Devcon(pc, "-f dp_delete oem77.inf").out, notOem);
    const DevconResult badPath = Devcon(pc, "-f dp_delete C:\\Windows\\INF\\");
    EXPECT_EQ(badPath.out, "The specified INF path is not valid.\r\n");
    EXPECT_EQ(badPath.err, "devcon: command dp_delete failed\r\n");

    // A store-run package stays held by a device that is merely unplugged; a removed one is uninstalled.
    pc.FindPackage("oem5.inf")->deleteFails = true;
    for (SimulatedDevice& device : pc.devices)
        if (device.presence == Presence::Present && !device.driverInf.empty())
            device.presence = Presence::Unplugged;
    EXPECT_EQ(Devcon(pc, "-f dp_delete oem5.inf").out, inUse);
    for (SimulatedDevice& device : pc.devices)
        device.presence = Presence::Present;
    pc.devices[1].removeResult = RemoveResult::Removed;
    Devcon(pc, "remove *PCI\\VEN_1234*");
    const DevconResult other = Devcon(pc, "-f dp_delete oem5.inf");
    EXPECT_EQ(other.out, "Deleting the specified driver package from the machine failed.\r\n");
    EXPECT_EQ(other.err, "devcon: command dp_delete failed\r\n");
    EXPECT_FALSE(pc.FindPackage("oem5.inf")->deleted);
}

TEST(DevconRemoveAndRescan, RemovedDevicesComeBackWithTheirBestRemainingNode) {
    SimulatedPc pc = Load(kPc);
    const DevconResult removed = Devcon(pc, "remove *PCI\\VEN_1234*");
    EXPECT_EQ(removed.out,
              kCard1 + std::string(60 - kCard1.size(), ' ') + ": Removed\r\n" + kCard2 +
                  std::string(60 - kCard2.size(), ' ') +
                  ": Removed on reboot\r\n"
                  "The 2 device(s) are ready to be removed. To remove the devices, reboot the system.\r\n");
    EXPECT_EQ(removed.exitCode, kExitReboot);
    EXPECT_TRUE(removed.changed);
    EXPECT_EQ(Device(pc, kCard1).presence, Presence::Removed);
    EXPECT_EQ(Device(pc, kCard2).presence, Presence::Present);
    EXPECT_EQ(Devcon(pc, "driverfiles @" + kCard1).out, "No matching devices found.\r\n");

    // The removed card no longer holds its package against a forced delete; the one waiting for a reboot does.
    EXPECT_EQ(Devcon(pc, "-f dp_delete oem5.inf").exitCode, kExitFail);
    pc.devices[1].removeResult = RemoveResult::Fails;
    const DevconResult failed = Devcon(pc, "remove @" + kCard2);
    EXPECT_EQ(failed.out,
              kCard2 + std::string(60 - kCard2.size(), ' ') + ": Remove failed\r\nNo devices were removed.\r\n");
    EXPECT_EQ(failed.exitCode, kExitOk);
    pc.devices[1].removeResult = RemoveResult::Removed;
    EXPECT_EQ(Devcon(pc, "remove @" + kCard2 + " ROOT\\UNKNOWN").out,
              kCard2 + std::string(60 - kCard2.size(), ' ') + ": Removed\r\nROOT\\UNKNOWN\\0000" +
                  std::string(60 - 17, ' ') + ": Removed\r\n2 device(s) were removed.\r\n");
    EXPECT_EQ(Devcon(pc, "-f dp_delete oem5.inf").out, "Driver package 'oem5.inf' deleted.\r\n");

    const DevconResult rescan = Devcon(pc, "rescan");
    EXPECT_EQ(rescan.out, "Scanning for new hardware.\r\nScanning completed.\r\n");
    EXPECT_TRUE(rescan.changed);
    EXPECT_EQ(Device(pc, kCard1).presence, Presence::Present);
    EXPECT_EQ(Device(pc, kCard1).driverInf, "oem6.inf"); // lowest rank left
    EXPECT_EQ(Device(pc, kCard2).driverInf, "");         // its only node is gone
    EXPECT_EQ(Device(pc, "ROOT\\UNKNOWN\\0000").presence, Presence::Present);
    EXPECT_EQ(Device(pc, "USB\\VID_5986&PID_0001\\6&1").presence, Presence::Unplugged);
    EXPECT_FALSE(Devcon(pc, "rescan").changed);
}

TEST(DevconListing, InTheCLocaleAMessageEndsAtItsFirstChineseCharacterAndTheNextJoinsIt) {
    SimulatedPc pc = Load("c-locale yes\n" + std::string(kPc));
    pc.FindPackage("oem5.inf")->provider = "Contoso 中国";
    const std::string nodes = Devcon(pc, "drivernodes @" + kCard1).out;
    EXPECT_EQ(nodes.substr(0, nodes.find("    Driver version is")),
              kCard1 + "\r\n    Name: Driver node #0:\r\n"
                       "    Inf file is C:\\Windows\\INF\\oem5.inf\r\n"
                       "    Inf section is Contoso_Install\r\n"
                       "    Driver description is Contoso     Manufacturer name is Contoso Ltd.\r\n"
                       "    Provider name is Contoso     Driver date is 6/1/2021\r\n");
    EXPECT_TRUE(nodes.ends_with("\r\n1 matching device(s) found.\r\n"));
    EXPECT_FALSE(std::any_of(nodes.begin(), nodes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
    // Without the setting the same texts are whole.
    pc.cLocale = false;
    EXPECT_NE(Devcon(pc, "drivernodes @" + kCard1).out.find("    Provider name is Contoso 中国\r\n"),
              std::string::npos);
}

TEST(DevconFailures, UsageErrorsAndInjectedFailures) {
    SimulatedPc pc = Load(kPc);
    const std::string generalUsage = "devcon Usage: devcon [-r] [-m:\\\\<machine>] <command> [<arg>...]\r\n"
                                     "For more information, type: devcon help\r\n";
    for (const char* line : {"", "-f", "-x driverfiles *", "find *"}) {
        const DevconResult usage = Devcon(pc, line);
        EXPECT_EQ(usage.out, "") << line;
        EXPECT_EQ(usage.err, generalUsage) << line;
        EXPECT_EQ(usage.exitCode, kExitUsage) << line;
    }
    for (const auto& [line, command] :
         std::vector<std::pair<std::string, std::string>>{{"driverfiles", "driverfiles"},
                                                          {"drivernodes", "drivernodes"},
                                                          {"-f dp_delete", "dp_delete"},
                                                          {"remove", "remove"},
                                                          {"rescan now", "rescan"},
                                                          {"-m:\\\\OTHER remove *", "remove"}}) {
        const DevconResult usage = Devcon(pc, line);
        EXPECT_EQ(usage.err, "devcon: Invalid use of " + command + ".\r\nFor more information, type: devcon help " +
                                 command + "\r\n")
            << line;
        EXPECT_EQ(usage.exitCode, kExitUsage) << line;
    }
    // After the command, "-f" is the INF name.
    EXPECT_EQ(Devcon(pc, "dp_delete -f oem6.inf").exitCode, kExitFail);
    EXPECT_FALSE(pc.FindPackage("oem6.inf")->deleted);
    EXPECT_EQ(RunDevcon(pc, "devconx64.exe", {"DP_Delete", "-f"}).err, "devconx64.exe: command dp_delete failed\r\n");
    EXPECT_EQ(Devcon(pc, "-r -u driverfiles ROOT\\UNKNOWN").exitCode, kExitOk);

    pc.rescanFails = true;
    pc.devices[0].presence = Presence::Removed;
    const DevconResult rescan = Devcon(pc, "rescan");
    EXPECT_EQ(rescan.out, "Scanning for new hardware.\r\n");
    EXPECT_EQ(rescan.err, "devcon: command rescan failed\r\n");
    EXPECT_EQ(rescan.exitCode, kExitFail);
    EXPECT_FALSE(rescan.changed);

    pc.failAll = true;
    for (const auto& [line, command] : std::vector<std::pair<std::string, std::string>>{
             {"driverfiles *", "driverfiles"}, {"-f dp_delete oem6.inf", "dp_delete"}, {"remove *", "remove"}}) {
        const DevconResult failed = Devcon(pc, line);
        EXPECT_EQ(failed.out, "") << line;
        EXPECT_EQ(failed.err, "devcon: command " + command + " failed\r\n") << line;
        EXPECT_EQ(failed.exitCode, kExitFail) << line;
        EXPECT_FALSE(failed.changed) << line;
    }
    EXPECT_EQ(Devcon(pc, "").err, generalUsage);
}

TEST(DevconDescription, FormatErrorsNameTheLine) {
    const std::string device = "device X\\Y\\1\n";
    const std::string package = "package oem1.inf\n";
    const std::string node = "    node oem1.inf\n        section S\n        description D\n";
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        {"frobnicate yes\n", 1, "outside a device or package"},
        {"device\n", 1, "needs a value"},
        {device + "    colour red\n", 2, "unknown device property 'colour'"},
        {device + "    name A\n    name B\n", 3, "given twice"},
        {device + "    present maybe\n", 2, "present is yes, removed or unplugged"},
        {device + "    class {4d36e968-e325-11ce-bfc1-08002be1031} 0000\n", 2, "expected 'class"},
        {device + "    class {4d36e968-e325-11ce-bfc1-08002be10318} 00000\n", 2, "expected 'class"},
        {device + "    section S\n", 2, "belongs to a node"},
        {device + "    reg = x\n", 2, "expected 'reg"},
        {package + "    date 2020-03-24\n", 2, "m/d/yyyy"},
        {package + "    date 13/1/2020\n", 2, "m/d/yyyy"},
        {package + "    version 1.2.3\n", 2, "a.b.c.d"},
        {package + "    version 1.2.3.65536\n", 2, "a.b.c.d"},
        {package + "    flags 0x1G\n", 2, "hexadecimal"},
        {package + "    inbox maybe\n", 2, "yes or no"},
        {"package C:\\Windows\\INF\\oem1.inf\n", 1, "INF file name"},
        {package + "fail-all yes\n", 2, "before the first device or package"},
        {package + "\n" + package, 3, "described twice"},
        {package + device + "    driver oem2.inf\n" + node + "        rank 1\n", 3, "not one of the device's nodes"},
        {device + node + "        rank 1\n", 2, "no package oem1.inf"},
        {package + device + node, 3, "needs a section, a description and a rank"},
        {package + device + node + "        rank 1\n        rank 2\n", 7, "given twice in one node"},
        {package + device + node + "        rank twelve\n", 6, "rank must be a number"},
        {package + device + "    class {4d36e968-e325-11ce-bfc1-08002be10318} 0000\ndevice X\\Y\\2\n" +
             "    class {4d36E968-e325-11ce-bfc1-08002be10318} 0000\n",
         4, "belongs to two devices"},
        {device + "device x\\y\\1\n", 2, "described twice"},
        {"# fine\n" + device + "    name \xC3\x28\n", 3, "UTF-8"},
        {"# gbk \xCF\xD4\xBF\xA8\n", 1, "UTF-8"},
    };
    for (const auto& [text, line, message] : cases) {
        DescriptionError error;
        EXPECT_FALSE(SimulatedPc::Parse(text, error)) << text;
        EXPECT_EQ(error.line, line) << text;
        EXPECT_NE(error.message.find(message), std::string::npos) << text << " -> " << error.message;
    }
    DescriptionError error;
    EXPECT_TRUE(SimulatedPc::Parse("", error));
    EXPECT_TRUE(SimulatedPc::Parse("\xEF\xBB\xBF# only a comment\r\n\r\n", error));
}

TEST(DevconDescription, SavingRewritesOnlyTheStateLines) {
    SimulatedPc pc = Load(kPc);
    pc.devices[0].presence = Presence::Removed; // no state line yet: added below the block's first line
    pc.devices[0].driverInf = "";               // rewritten in place
    pc.devices[3].presence = Presence::Present; // rewritten in place
    pc.FindPackage("oem6.inf")->deleted = true;
    const std::string saved = pc.Save();
    EXPECT_NE(saved.find("# test PC\n"), std::string::npos);
    EXPECT_NE(saved.find("package oem6.inf\n    deleted yes\n    provider        Contoso\n"), std::string::npos);
    EXPECT_NE(saved.find(kCard1 + "\n    present removed\n    name          测试显卡\n"), std::string::npos);
    EXPECT_NE(saved.find("    driver        none\n    node oem5.inf\n"), std::string::npos);
    EXPECT_NE(saved.find("    present       yes\n    driver        oem9.inf\n"), std::string::npos);

    DescriptionError error;
    const auto again = SimulatedPc::Parse(saved, error);
    ASSERT_TRUE(again) << error.message;
    EXPECT_EQ(again->devices[0].presence, Presence::Removed);
    EXPECT_EQ(again->devices[0].driverInf, "");
    EXPECT_EQ(again->devices[3].presence, Presence::Present);
    EXPECT_TRUE(again->FindPackage("oem6.inf")->deleted);
    EXPECT_EQ(again->Save(), saved);

    // An unchanged PC saves as it was read, CR LF line ends and a missing last line end included.
    const std::string crlf = "package oem1.inf\r\n# note\r\ndevice A\\B\\1\r\n    present removed";
    EXPECT_EQ(Load(crlf).Save(), crlf);
    SimulatedPc changed = Load(crlf);
    changed.devices[0].presence = Presence::Present;
    changed.FindPackage("oem1.inf")->deleted = true;
    EXPECT_EQ(changed.Save(), "package oem1.inf\r\n    deleted yes\r\n# note\r\ndevice A\\B\\1\r\n    present yes");
}

TEST(DevconRegistry, ClassKeysCarryTheInstalledDriverAndTheExtras) {
    SimulatedPc pc = Load(std::string(kPc) + "    reg MatchingDeviceId = usb\\\"cam\"\n"
                                             "    reg Flags = dword:0000001f\n"
                                             "    reg Note = dword:1\n");
    pc.devices[1].presence = Presence::Removed;
    const std::string reg = ClassKeysRegFile(pc);
    const std::string root = "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Class\\";
    EXPECT_EQ(reg, root + "{4d36e968-e325-11ce-bfc1-08002be10318}]\n\"Class\"=\"Display\"\n\n" + root +
                       "{ca3e7ab9-b4c3-4ae6-8251-579ef933890f}]\n\"Class\"=\"Camera\"\n\n" + root +
                       "{4d36e968-e325-11ce-bfc1-08002be10318}\\0000]\n"
                       "\"DriverDesc\"=\"Contoso 显卡\"\n"
                       "\"MatchingDeviceId\"=\"pci\\\\ven_1234&dev_0001\"\n"
                       "\"InfPath\"=\"oem5.inf\"\n"
                       "\"InfSection\"=\"Contoso_Install\"\n"
                       "\"ProviderName\"=\"Contoso\"\n"
                       "\"DriverVersion\"=\"1.2.3.4\"\n"
                       "\"DriverDate\"=\"6-1-2021\"\n\n" +
                       root +
                       "{ca3e7ab9-b4c3-4ae6-8251-579ef933890f}\\0000]\n"
                       "\"DriverDesc\"=\"Webcam\"\n"
                       "\"MatchingDeviceId\"=\"usb\\\\\\\"cam\\\"\"\n"
                       "\"InfPath\"=\"oem9.inf\"\n"
                       "\"InfSection\"=\"Cam\"\n"
                       "\"ProviderName\"=\"Fabrikam\"\n"
                       "\"DriverVersion\"=\"\"\n"
                       "\"DriverDate\"=\"\"\n"
                       "\"Flags\"=dword:0000001f\n"
                       "\"Note\"=\"dword:1\"\n\n");
}

// The demo PC that the run command and the product's tests use holds the cases they rely on.
TEST(DevconDemo, DemoPcHoldsTheDocumentedCases) {
    const SimulatedPc pc = Load(ReadFile(TOLVIK_DEMO_DIR "/pc.txt"));
    EXPECT_GE(pc.devices.size(), 15u);
    std::set<std::string> classes;
    for (const SimulatedDevice& device : pc.devices)
        classes.insert(device.classGuid);
    for (const char* guid : {"{4d36e968-e325-11ce-bfc1-08002be10318}", "{4d36e96c-e325-11ce-bfc1-08002be10318}",
                             "{4d36e972-e325-11ce-bfc1-08002be10318}", "{ca3e7ab9-b4c3-4ae6-8251-579ef933890f}",
                             "{e0cbf06c-cd8b-4647-bb8a-263b43f0f974}", "{4d36e970-e325-11ce-bfc1-08002be10318}",
                             "{4d36e96f-e325-11ce-bfc1-08002be10318}", "{4d36e97d-e325-11ce-bfc1-08002be10318}",
                             "{53d29ef7-377c-4d14-864b-eb3a85769359}"})
        EXPECT_EQ(classes.count(guid), 1u) << guid;

    // The graphics card: three Intel packages, the current one refusing a forced delete while in use; the
    // uninstall (delete, remove, delete, rescan) leaves it on the best older one.
    SimulatedPc demo = pc;
    EXPECT_EQ(Devcon(demo, "-f dp_delete oem12.inf").exitCode, kExitFail);
    EXPECT_EQ(Devcon(demo, "remove *PCI\\VEN_8086*").out.find("failed"), std::string::npos);
    EXPECT_EQ(Devcon(demo, "-f dp_delete oem12.inf").out, "Driver package 'oem12.inf' deleted.\r\n");
    Devcon(demo, "rescan");
    const std::string nodes = Devcon(demo, "drivernodes *PCI\\VEN_8086&DEV_3E9B*").out;
    EXPECT_NE(nodes.find("oem8.inf"), std::string::npos);
    EXPECT_NE(nodes.find("oem3.inf"), std::string::npos);
    EXPECT_NE(nodes.find("display.inf"), std::string::npos);
    EXPECT_EQ(nodes.find("oem12.inf"), std::string::npos);
    EXPECT_NE(Devcon(demo, "driverfiles *PCI\\VEN_8086&DEV_3E9B*").out.find("INF\\oem8.inf [iCFLD_w10_DS]"),
              std::string::npos);

    // Two instances share a hardware ID; one device has inbox nodes only; the smart-audio devices are Chinese.
    EXPECT_NE(Devcon(demo, "driverfiles *USB\\VID_2F1D&PID_A396&MI_03*").out.find("2 matching device(s) found."),
              std::string::npos);
    EXPECT_NE(Devcon(demo, "drivernodes *HID\\VID_046D&PID_C077*").out.find("msmouse.inf"), std::string::npos);
    EXPECT_EQ(Devcon(demo, "drivernodes *HID\\VID_046D&PID_C077*").out.find("oem"), std::string::npos);
    EXPECT_NE(Devcon(demo, "driverfiles *USB\\VID_2F1D*").out.find("Name: 智音"), std::string::npos);

    // The system class holds a touchpad driver without "SMBus", and one device's MatchingDeviceId does not fit
    // a registry read of 255 bytes.
    const std::string reg = ClassKeysRegFile(pc);
    EXPECT_NE(reg.find("\"DriverDesc\"=\"ELAN I2C Filter Driver\""), std::string::npos);
    bool longId = false;
    for (const SimulatedDevice& device : pc.devices)
        for (const RegistryValue& extra : device.registryExtras)
            longId = longId || (extra.name == "MatchingDeviceId" && (extra.data.size() + 1) * 2 > 255);
    EXPECT_TRUE(longId);

    DescriptionError error;
    EXPECT_TRUE(SimulatedPc::Parse(ReadFile(TOLVIK_DEMO_DIR "/empty-pc.txt"), error));
}

TEST(DevconFailures, MisbehavingCommandsDoWhatTheDescriptionSays) {
    SimulatedPc pc = Load("misbehave dp_delete mute\nmisbehave REMOVE silent\nmisbehave rescan hang\n"
                          "misbehave driverfiles garbage\nmisbehave drivernodes vanish\n" +
                          std::string(kPc));
    const DevconResult muted = Devcon(pc, "-f dp_delete oem6.inf");
    EXPECT_EQ(muted.out + muted.err, "");
    EXPECT_TRUE(pc.FindPackage("oem6.inf")->deleted) << "a mute command still does its work";
    const DevconResult silent = Devcon(pc, "remove *");
    EXPECT_EQ(silent.out + silent.err, "");
    EXPECT_EQ(pc.devices[0].presence, Presence::Present) << "a silent command does nothing";
    const DevconResult garbage = Devcon(pc, "driverfiles *");
    EXPECT_EQ(garbage.out.find("matching device"), std::string::npos);
    EXPECT_NE(garbage.out.find('\0'), std::string::npos);
    EXPECT_EQ(Devcon(pc, "rescan").misbehaviour, Misbehaviour::Hang);
    EXPECT_EQ(Devcon(pc, "drivernodes *").misbehaviour, Misbehaviour::Vanish);
    EXPECT_EQ(Devcon(pc, "drivernodes *").out, "");
    EXPECT_EQ(Devcon(pc, "dp_enum").misbehaviour, Misbehaviour::None);

    DescriptionError error;
    EXPECT_FALSE(SimulatedPc::Parse("misbehave remove sometimes\n", error));
    EXPECT_FALSE(SimulatedPc::Parse("misbehave remove hang\nmisbehave Remove mute\n", error));
    EXPECT_FALSE(SimulatedPc::Parse(std::string(kPc) + "misbehave remove hang\n", error));
}
