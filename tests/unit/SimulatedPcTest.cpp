// The description of a simulated PC: its format errors, and saving only the lines its state changes.
#include "SimulatedPc.h"

#include "SimulatedPcSamples.h"

#include <gtest/gtest.h>

#include <string>

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
