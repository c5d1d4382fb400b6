// Simulated PCs for the Device Console stand-in's tests: a PC of two cards, a device without driver and a
// webcam not plugged in; and a driver store of two packages of one card beside an inbox one.
#pragma once

#include "DevconCommands.h"
#include "SimulatedPc.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

// Two instances of one card (three packages, the current one running from the driver store), a device
// without driver or name, and a webcam that is not plugged in.
inline const char* const kPc = R"(# test PC
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

inline const std::string kCard1 = "PCI\\VEN_1234&DEV_0001&SUBSYS_00011234&REV_01\\3&AB&0&10";
inline const std::string kCard2 = "PCI\\VEN_1234&DEV_0001&SUBSYS_00011234&REV_01\\3&AB&0&18";

inline SimulatedPc Load(const std::string& text) {
    DescriptionError error;
    auto pc = SimulatedPc::Parse(text, error);
    EXPECT_TRUE(pc) << "line " << error.line << ": " << error.message;
    return pc ? *pc : SimulatedPc{};
}

// Arguments split at blanks, as the C runtime splits an unquoted command line.
inline DevconResult Devcon(SimulatedPc& pc, const std::string& line) {
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string word; words >> word;)
        args.push_back(word);
    return RunDevcon(pc, "devcon", args);
}

inline const SimulatedDevice& Device(const SimulatedPc& pc, const std::string& instanceId) {
    for (const SimulatedDevice& device : pc.devices)
        if (device.instanceId == instanceId)
            return device;
    throw std::runtime_error("no device " + instanceId);
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The driver store's PC: oem5.inf with a file in the store, oem6.inf an older package, generic.inf inbox.
inline const char* const kStorePc = R"(package oem5.inf
    provider Contoso
    date     6/1/2021
    version  1.2.3.4
    flags    00002000
    file C:\Windows\System32\DriverStore\FileRepository\contoso.inf_amd64_0123456789abcdef\contoso.sys
package oem6.inf
    provider Contoso
    version  1.0.0.0
package generic.inf
    inbox yes
device PCI\VEN_1234&DEV_0001\3&AB
    hardware-id   PCI\VEN_1234&DEV_0001&SUBSYS_1
    compatible-id PCI\VEN_1234&DEV_0001
    class         {4d36e968-e325-11ce-bfc1-08002be10318} 0000
    driver        oem5.inf
    node oem5.inf
        section     Contoso_Install
        description Contoso 显卡
        rank        1
    node oem6.inf
        section     Contoso_Old
        description Contoso 显卡
        rank        2
)";

inline SimulatedPc Load() {
    DescriptionError error;
    auto pc = SimulatedPc::Parse(kStorePc, error);
    EXPECT_TRUE(pc) << error.message;
    return *pc;
}
