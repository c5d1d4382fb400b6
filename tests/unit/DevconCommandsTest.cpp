// The Device Console stand-in's commands: pattern matching, output texts, state changes and failures.
#include "DevconCommands.h"

#include "SimulatedPcSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

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
