// The registry class keys derived from a simulated PC.
#include "RegistryExport.h"

#include "SimulatedPcSamples.h"

#include <gtest/gtest.h>

#include <string>

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
