// The demo PC (demo/pc.txt) that the run command and the product's tests use.
#include "DevconCommands.h"
#include "RegistryExport.h"

#include "SimulatedPcSamples.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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
