// The package query: the two output parsers, what survives damaged output, and the queries themselves.
#include "discovery/PackageQuery.h"

#include "FakeRunner.h"
#include "ReferenceDevconParsers.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

namespace {

// Two devices as "driverfiles" lists them: an Intel card installed from oem12.inf, a sound device.
const std::string kDriverFiles =
    "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00\\3&11583659&0&10\r\n"
    "    Name: Intel(R) UHD Graphics 630\r\n"
    "    Driver installed from C:\\Windows\\INF\\oem12.inf [iCFLD_w10_DS]. 2 file(s) used by driver:\r\n"
    "        C:\\Windows\\system32\\DriverStore\\FileRepository\\iigd_dch.inf_amd64_1c2b\\igdkmd64.sys\r\n"
    "        C:\\Windows\\system32\\igdinfo64.dll\r\n"
    "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0256&SUBSYS_10280798&REV_1000\\4&2C5B6FCD&0&0001\r\n"
    "    Name: Realtek Audio\r\n"
    "    Driver installed from C:\\Windows\\INF\\oem7.inf [RTHDA]. The driver is not using any files.\r\n"
    "2 matching device(s) found.\r\n";

std::string Node(int number, const std::string& inf, const std::string& provider, const std::string& date,
                 const std::string& version) {
    return "Driver node #" + std::to_string(number) + ":\r\n" + "    Inf file is C:\\Windows\\INF\\" + inf +
           "\r\n    Inf section is SECTION\r\n    Driver description is Some Device\r\n"
           "    Manufacturer name is Maker\r\n    Provider name is " +
           provider + "\r\n    Driver date is " + date + "\r\n    Driver version is " + version +
           "\r\n    Driver node rank is 16719872\r\n    Driver node flags are 00003044\r\n"
           "        Inf is digitally signed\r\n";
}

const std::string kDriverNodes = "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00\\3&11583659&0&10\r\n"
                                 "    Name: Intel(R) UHD Graphics 630\r\n" +
                                 Node(0, "oem12.inf", "Intel Corporation", "3/24/2020", "26.20.100.7985") +
                                 Node(1, "oem5.inf", "Intel Corporation", "1/10/2019", "25.20.100.6472") +
                                 Node(2, "display.inf", "Microsoft", "6/21/2006", "10.0.19041.1") +
                                 "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0256&SUBSYS_10280798&REV_1000\\4&2C5B6FCD&0&0001\r\n"
                                 "    Name: Realtek Audio\r\n" +
                                 Node(0, "oem7.inf", "Realtek", "5/6/2021", "6.0.9147.1") +
                                 "2 matching device(s) found.\r\n";

const std::string kIntel = "PCI\\VEN_8086&DEV_3E9B";

std::vector<std::string> InfNames(const std::vector<DriverPackageRecord>& packages) {
    std::vector<std::string> names;
    for (const DriverPackageRecord& package : packages)
        names.push_back(package.infName);
    return names;
}

} // namespace

TEST(ParseDriverFiles, FindsTheInstalledOemInfOfTheMatchedDevice) {
    std::string current;
    EXPECT_TRUE(ParseDriverFiles(kDriverFiles, kIntel, current));
    EXPECT_EQ(current, "oem12.inf");

    current.clear();
    EXPECT_TRUE(ParseDriverFiles(kDriverFiles, "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0256", current));
    EXPECT_EQ(current, "oem7.inf");
    // The match text is the search pattern as the tool prints it: without the interpreter's carets.
    EXPECT_EQ(MatchTextOf(L"PCI\\VEN_8086^&DEV_3E9B^&SUBSYS_0"), "PCI\\VEN_8086&DEV_3E9B&SUBSYS_0");
}

TEST(ParseDriverFiles, PrefersTheFirstOemNameElseTakesTheLastName) {
    std::string current;
    EXPECT_TRUE(ParseDriverFiles("X\\1\r\n    Name: x\r\n    from C:\\a\\display.inf [s]\r\n"
                                 "        C:\\b\\oem4.inf\r\n        C:\\c\\oem9.inf\r\n",
                                 "X\\1", current));
    EXPECT_EQ(current, "oem4.inf");

    current.clear();
    EXPECT_TRUE(ParseDriverFiles("X\\1\r\n    Name: x\r\n    from C:\\a\\display.inf [s]\r\n"
                                 "        C:\\s\\FileRepository\\machine.inf_amd64_12\\x.sys\r\n",
                                 "X\\1", current));
    EXPECT_EQ(current, "machine.inf");

    current.clear();
    EXPECT_FALSE(ParseDriverFiles("X\\1\r\n    No driver information available for the device.\r\n", "X\\1", current));
    EXPECT_FALSE(ParseDriverFiles("inf file named oem3.inf without a path", "", current));
    EXPECT_EQ(current, "");
}

// One rule for every layer that tells a third-party package: the list rows, the old-package clean-up, the
// command line's refusal and the installed INF of "driverfiles" all ask IsThirdPartyInfName.
TEST(ThirdPartyInfName, HoldsOemAsTheStoreWritesItAndNothingElseQualifies) {
    for (const char* name : {"oem12.inf", "myoem.inf", "oem"})
        EXPECT_TRUE(IsThirdPartyInfName(std::string_view(name))) << name;
    for (const char* name : {"display.inf", "machine.inf", "oe.m.inf", "o e m.inf", "", "OEM12.INF",
                             "\xef\xbd\x8f"
                             "em1.inf"})
        EXPECT_FALSE(IsThirdPartyInfName(std::string_view(name))) << name;
    EXPECT_TRUE(IsThirdPartyInfName(std::wstring_view(L"oem12.inf")));
    EXPECT_FALSE(IsThirdPartyInfName(std::wstring_view(L"\uFF4Fem12.inf"))) << "a full-width letter is not ASCII";

    // The installed INF is the first third-party name.
    std::string current;
    EXPECT_TRUE(ParseDriverFiles("X\\1\r\n    from C:\\a\\display.inf [s]\r\n        C:\\b\\OEM4.inf\r\n"
                                 "        C:\\c\\oem9.inf\r\n",
                                 "X\\1", current));
    EXPECT_EQ(current, "oem9.inf");
}

TEST(ParseDriverNodes, ListsTheMatchedDevicesNodesWithTheirLabels) {
    std::vector<DriverPackageRecord> packages;
    EXPECT_TRUE(ParseDriverNodes(kDriverNodes, kIntel, "oem12.inf", packages));
    ASSERT_EQ(packages.size(), 3u);
    EXPECT_EQ(packages[0], (DriverPackageRecord{"oem12.inf", "Intel Corporation", "3/24/2020", "26.20.100.7985", 1}));
    EXPECT_EQ(packages[1], (DriverPackageRecord{"oem5.inf", "Intel Corporation", "1/10/2019", "25.20.100.6472", 0}));
    EXPECT_EQ(packages[2].infName, "display.inf");
    EXPECT_EQ(packages[2].isCurrent, 0);
}

TEST(ParseDriverNodes, OutputWithoutTheMatchCollectsEveryDevicesNodes) {
    std::vector<DriverPackageRecord> packages;
    EXPECT_TRUE(ParseDriverNodes(kDriverNodes, "USB\\VID_1234", "", packages));
    EXPECT_EQ(InfNames(packages), (std::vector<std::string>{"oem12.inf", "oem5.inf", "display.inf", "oem7.inf"}));

    packages.clear();
    EXPECT_FALSE(ParseDriverNodes("No matching devices found.\r\n", kIntel, "", packages));
    EXPECT_TRUE(packages.empty());
}

TEST(ParseDriverNodes, DropsNodesWhoseNameOccursInAnEarlierOne) {
    const std::string head = "X\\1\r\n    Name: x\r\n";
    std::vector<DriverPackageRecord> packages;
    ParseDriverNodes(head + Node(0, "oem3.inf", "a", "d", "1") + Node(1, "oem12.inf", "b", "d", "2") +
                         Node(2, "oem3.inf", "c", "d", "3"),
                     "X\\1", "", packages);
    EXPECT_EQ(InfNames(packages), (std::vector<std::string>{"oem3.inf", "oem12.inf"}));
    EXPECT_EQ(packages[0].provider, "a");

    packages.clear();
    ParseDriverNodes(head + Node(0, "xoem3.inf", "a", "d", "1") + Node(1, "oem3.inf", "b", "d", "2"), "X\\1", "",
                     packages);
    EXPECT_EQ(InfNames(packages), (std::vector<std::string>{"xoem3.inf"}));

    packages.clear();
    ParseDriverNodes(head + Node(0, "oem3.inf", "a", "d", "1") + Node(1, "xoem3.inf", "b", "d", "2"), "X\\1", "",
                     packages);
    EXPECT_EQ(InfNames(packages), (std::vector<std::string>{"oem3.inf", "xoem3.inf"}));
}

TEST(ParseDriverNodes, MarksTheCurrentNodeOnlyForANameOfTwoOrMoreCharacters) {
    const std::string text =
        "X\\1\r\n    Name: x\r\n" + Node(0, "oem12.inf", "a", "d", "1") + Node(1, "oem1.inf", "b", "d", "2");
    for (const auto& [current, expected] : std::vector<std::pair<std::string, std::vector<int>>>{
             {"oem12.inf", {1, 0}}, {"oem1.inf", {0, 1}}, {"", {0, 0}}, {"o", {0, 0}}, {"oe", {1, 1}}}) {
        std::vector<DriverPackageRecord> packages;
        ParseDriverNodes(text, "X\\1", current, packages);
        ASSERT_EQ(packages.size(), 2u) << current;
        EXPECT_EQ(packages[0].isCurrent, expected[0]) << current;
        EXPECT_EQ(packages[1].isCurrent, expected[1]) << current;
    }
}

TEST(ParseDriverNodes, AMissingLabelLeavesItsFieldEmptyAndKeepsTheNextNodeWhole) {
    const std::string text = "X\\1\r\n    Name: x\r\n"
                             "Driver node #0:\r\n    Inf file is C:\\W\\oem3.inf\r\n    Provider name is P0\r\n"
                             "    Driver version is 1.0\r\n"
                             "Driver node #1:\r\n    Inf file is C:\\W\\oem4.inf\r\n    Provider name is P1\r\n"
                             "    Driver date is 1/2/2020\r\n    Driver version is 2.0\r\n";
    std::vector<DriverPackageRecord> packages;
    ParseDriverNodes(text, "X\\1", "", packages);
    ASSERT_EQ(packages.size(), 2u);
    EXPECT_EQ(packages[0], (DriverPackageRecord{"oem3.inf", "P0", "", "1.0", 0}));
    EXPECT_EQ(packages[1], (DriverPackageRecord{"oem4.inf", "P1", "1/2/2020", "2.0", 0}));
}

TEST(ParseDriverNodes, LabelsOutOfOrderAreStillFoundWithinTheirNode) {
    const std::string text = "X\\1\r\n    Name: x\r\nDriver node #0:\r\n    Inf file is C:\\W\\oem3.inf\r\n"
                             "    Driver version is 3.0\r\n    Driver date is 4/5/2021\r\n    Provider name is P\r\n";
    std::vector<DriverPackageRecord> packages;
    ParseDriverNodes(text, "X\\1", "", packages);
    ASSERT_EQ(packages.size(), 1u);
    EXPECT_EQ(packages[0], (DriverPackageRecord{"oem3.inf", "P", "4/5/2021", "3.0", 0}));
}

TEST(ParseDriverNodes, TrimsTheInfNameAndSkipsNodesWithoutOne) {
    std::vector<DriverPackageRecord> packages;
    ParseDriverNodes("Driver node #0:\r\n    Inf file is    oem8.inf  \r\n"
                     "Driver node #1:\r\n    Inf file is \r\n    Provider name is Q\r\n",
                     "nothing", "", packages);
    ASSERT_EQ(packages.size(), 1u);
    EXPECT_EQ(packages[0].infName, "oem8.inf");
    EXPECT_EQ(packages[0].provider, "");
}

TEST(Parsers, OutputCutShortAnywhereEndsCleanlyWithTheRecordsSoFar) {
    std::vector<DriverPackageRecord> whole;
    ParseDriverNodes(kDriverNodes, kIntel, "oem12.inf", whole);
    for (size_t cut = 0; cut <= kDriverNodes.size(); ++cut) {
        const std::string_view part(kDriverNodes.data(), cut);
        std::vector<DriverPackageRecord> packages;
        ParseDriverNodes(part, kIntel, "oem12.inf", packages);
        ASSERT_LE(packages.size(), whole.size()) << cut;
        for (size_t i = 0; i + 1 < packages.size(); ++i)
            EXPECT_EQ(packages[i], whole[i]) << cut;
        if (!packages.empty()) { // the last record may lose the end of a label value, never its INF name
            EXPECT_EQ(whole[packages.size() - 1].infName, packages.back().infName) << cut;
        }
        // The installed name is known as soon as its line is complete, and never a wrong one before.
        std::string current;
        const size_t known = kDriverFiles.find("oem12.inf") + 9;
        ParseDriverFiles(std::string_view(kDriverFiles.data(), std::min(cut, kDriverFiles.size())), kIntel, current);
        if (cut >= known)
            EXPECT_EQ(current, "oem12.inf") << cut;
        else
            EXPECT_EQ(current, "") << cut;
    }
}

TEST(Parsers, AZeroByteInsideTheOutputLosesNothingAround) {
    std::string text = kDriverNodes;
    text.insert(text.find("Driver node #1"), 1, '\0');
    std::vector<DriverPackageRecord> packages;
    ParseDriverNodes(text, kIntel, "oem12.inf", packages);
    EXPECT_EQ(InfNames(packages), (std::vector<std::string>{"oem12.inf", "oem5.inf", "display.inf"}));
}

// Random but ordinary output (CR LF or LF line ends, lines shorter than a console row, the node headings of
// current builds): missing and reordered labels, INF names that occur in one another, devices without nodes,
// output cut short, names already in the list. The parsers must give exactly what the previous ones gave.
TEST(Parsers, AgreeWithThePreviousParsersOnOrdinaryOutput) {
    std::mt19937 random(20261208);
    auto pick = [&random](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
    const std::vector<std::string> names{"oem3.inf", "xoem3.inf", "oem12.inf", "oem1.inf",     "display.inf",
                                         "3.inf",    "em1",       "oem",       "usbvideo.inf", "a.inf"};
    const std::vector<std::string> labels{"    Provider name is P", "    Driver date is 1/2/2020",
                                          "    Driver version is 1.0.0.", "    Inf section is S"};
    for (int round = 0; round < 400; ++round) {
        const int devices = 1 + pick(4);
        const bool crlf = pick(4) != 0;
        const std::string end = crlf ? "\r\n" : "\n";
        std::string files, nodes;
        for (int device = 0; device < devices; ++device) {
            const std::string id = "PCI\\VEN_8086&DEV_000" + std::to_string(device) + "&SUBSYS_1\\3&1&0&" +
                                   std::to_string(device) + end + "    Name: Device" + end;
            files += id + "    Driver installed from C:\\Windows\\INF\\" + names[pick(10)] + " [S]. 1 file(s):" + end;
            files +=
                "        C:\\Windows\\System32\\DriverStore\\FileRepository\\" + names[pick(10)] + "_x\\a.sys" + end;
            nodes += id;
            const int count = round % 50 == 0 ? 60 : pick(5);
            if (count == 0)
                nodes += "    No driver nodes found for this device." + end;
            for (int node = 0; node < count; ++node) {
                nodes += "Driver node #" + std::to_string(node) + ":" + end;
                nodes +=
                    "    Inf file is " + std::string(pick(3) == 0 ? "" : "C:\\Windows\\INF\\") + names[pick(10)] + end;
                for (int label = 0; label < 4; ++label)
                    if (pick(4) != 0)
                        nodes += labels[pick(4)] + std::to_string(node) + end;
            }
        }
        files += std::to_string(devices) + " matching device(s) found." + end;
        nodes += std::to_string(devices) + " matching device(s) found." + end;
        const int device = pick(devices + 2);
        const std::string match = device < devices    ? "PCI\\VEN_8086&DEV_000" + std::to_string(device)
                                  : device == devices ? std::string("USB\\VID_1")
                                                      : std::string();
        for (std::string* text : {&files, &nodes}) {
            if (pick(3) == 0) { // cut short, though not between the CR and the LF of a line end
                size_t cut = random() % text->size();
                if (cut > 0 && (*text)[cut - 1] == '\r')
                    --cut;
                text->resize(cut);
            }
        }

        std::string current, expectedCurrent;
        const bool found = ParseDriverFiles(files, match, current);
        ASSERT_EQ(found, reference::ParseDriverFiles(files, match, expectedCurrent)) << files;
        ASSERT_EQ(current, expectedCurrent) << files;

        std::vector<DriverPackageRecord> packages, expected;
        if (pick(3) == 0)
            packages = expected = {{names[pick(10)], "", "", "", 0}};
        const bool any = ParseDriverNodes(nodes, match, current, packages);
        ASSERT_EQ(any, reference::ParseDriverNodes(nodes, match, current, expected)) << nodes;
        ASSERT_EQ(packages, expected) << match << "\n" << nodes;
    }
}

// A composite USB device: its parent matches the same hardware ID prefix and comes first with the inbox
// composite driver; the camera is the interface after it.
const std::string kCompositeFiles =
    "USB\\VID_5986&PID_2113\\200901010001\r\n"
    "    Name: USB Composite Device\r\n"
    "    Driver installed from C:\\Windows\\INF\\usbccgp.inf [Composite.Dev.NT]. 1 file(s) used by driver:\r\n"
    "        C:\\Windows\\system32\\DRIVERS\\usbccgp.sys\r\n"
    "USB\\VID_5986&PID_2113&MI_00\\6&2BD1F45A&0&0000\r\n"
    "    Name: Integrated Camera\r\n"
    "    Driver installed from C:\\Windows\\INF\\oem40.inf [BisonCam.Install]. 1 file(s) used by driver:\r\n"
    "        C:\\Windows\\system32\\DRIVERS\\bisoncam.sys\r\n"
    "2 matching device(s) found.\r\n";

const std::string kCompositeNodes = "USB\\VID_5986&PID_2113\\200901010001\r\n"
                                    "    Name: USB Composite Device\r\n" +
                                    Node(0, "usbccgp.inf", "Microsoft", "6/21/2006", "10.0.19041.1") +
                                    "USB\\VID_5986&PID_2113&MI_00\\6&2BD1F45A&0&0000\r\n"
                                    "    Name: Integrated Camera\r\n" +
                                    Node(0, "oem40.inf", "Bison", "1/2/2019", "8.0.1.1") +
                                    Node(1, "usbvideo.inf", "Microsoft", "6/21/2006", "10.0.19041.1") +
                                    "2 matching device(s) found.\r\n";

TEST(Parsers, ACompositeDevicesInterfaceGetsItsOwnBlockNotItsParents) {
    const std::string camera = "USB\\VID_5986&PID_2113";
    std::string current;
    EXPECT_TRUE(ParseDriverFiles(kCompositeFiles, camera, current));
    EXPECT_EQ(current, "oem40.inf");
    std::vector<DriverPackageRecord> packages;
    EXPECT_TRUE(ParseDriverNodes(kCompositeNodes, camera, current, packages));
    EXPECT_EQ(InfNames(packages), (std::vector<std::string>{"oem40.inf", "usbvideo.inf"}));
    EXPECT_EQ(packages[0].isCurrent, 1);

    // Only the parent listed: its block is still the one found, as before.
    const std::string parentOnly = kCompositeNodes.substr(0, kCompositeNodes.find("USB\\VID_5986&PID_2113&MI_00"));
    packages.clear();
    ParseDriverNodes(parentOnly, camera, "", packages);
    EXPECT_EQ(InfNames(packages), (std::vector<std::string>{"usbccgp.inf"}));
}

// Every line longer than `width` broken into rows of `width` bytes, as a console of that width shows it.
std::string Wrapped(const std::string& text, size_t width) {
    std::string wrapped;
    for (size_t line = 0; line < text.size();) {
        const size_t end = text.find("\r\n", line);
        for (size_t row = line; row < end; row += width)
            wrapped += text.substr(row, std::min(width, end - row)) + "\r\n";
        line = end + 2;
    }
    return wrapped;
}

TEST(Parsers, OlderHeadingsOtherLineEndsAndWrappedLinesGiveTheSameRecords) {
    const std::string storeInf =
        "C:\\WINDOWS\\System32\\DriverStore\\FileRepository\\iigd_dch.inf_amd64_ea63d1eddd5853ac"
        "\\iigd_dch.inf";
    const std::string nodes =
        "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00\\3&11583659&0&10\r\n"
        "    Name: Intel(R) UHD Graphics 630 (a display adapter with a name longer than a row)\r\n"
        "Driver node #0:\r\n    Inf file is " +
        storeInf + "\r\n    Provider name is Intel Corporation\r\n" +
        Node(1, "oem5.inf", "Intel Corporation", "1/10/2019", "25.20.100.6472") + "1 matching device(s) found.\r\n";
    const std::string files =
        "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00\\3&11583659&0&10\r\n"
        "    Name: Intel(R) UHD Graphics 630\r\n"
        "    Driver installed from C:\\Windows\\INF\\display.inf [MSBDA]. 1 file(s) used by driver:\r\n"
        "        " +
        storeInf +
        "\r\n        C:\\Windows\\INF\\oem12.inf\r\n"
        "1 matching device(s) found.\r\n";
    std::vector<DriverPackageRecord> expected;
    ParseDriverNodes(nodes, kIntel, "", expected);
    ASSERT_EQ(InfNames(expected), (std::vector<std::string>{"iigd_dch.inf", "oem5.inf"}));
    EXPECT_EQ(expected[0].provider, "Intel Corporation");

    auto replaced = [](const std::string& from, const std::string& to) {
        return [from, to](std::string text) {
            for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
                text.replace(at, from.size(), to);
            return text;
        };
    };
    auto wrapped = [](size_t width) { return [width](const std::string& text) { return Wrapped(text, width); }; };
    const std::vector<std::function<std::string(const std::string&)>> variants{
        replaced("Driver node #", "DriverNode #"),
        replaced("\r\n", "\r\r\n"),
        replaced("\r\n", "\r"),
        replaced("\r\n", "\n"),
        wrapped(80),
        wrapped(120),
        [&](const std::string& text) { return replaced("\r\n", "\r\r\n")(Wrapped(text, 80)); }};
    for (const auto& variant : variants) {
        std::vector<DriverPackageRecord> packages;
        EXPECT_TRUE(ParseDriverNodes(variant(nodes), kIntel, "", packages));
        EXPECT_EQ(packages, expected) << variant(nodes);

        std::string current;
        EXPECT_TRUE(ParseDriverFiles(variant(files), kIntel, current));
        EXPECT_EQ(current, "oem12.inf") << variant(files);
    }

    // Output cut right after a bare CR: the value ends there, without the CR.
    std::vector<DriverPackageRecord> packages;
    ParseDriverNodes("Driver node #0:\r    Inf file is C:\\W\\oem3.inf\r    Provider name is P\r", "", "", packages);
    ASSERT_EQ(packages.size(), 1u);
    EXPECT_EQ(packages[0], (DriverPackageRecord{"oem3.inf", "P", "", "", 0}));
}

TEST(QueryDriverPackages, RunsBothQueriesFromTheProgramFolderAndMarksTheInstalledNode) {
    FakeRunner runner({kDriverFiles, kDriverNodes});
    const DeviceConsole console(runner, L"C:\\工具 a&b^c%d", false);
    std::vector<DriverPackageRecord> packages;
    EXPECT_TRUE(QueryDriverPackages(console, L"PCI\\VEN_8086^&DEV_3E9B", packages));

    ASSERT_EQ(runner.commands.size(), 2u);
    // The folder is where the interpreter starts, never part of the command text.
    EXPECT_EQ(runner.commands[0], L".\\devcon.exe driverfiles *PCI\\VEN_8086^&DEV_3E9B*");
    EXPECT_EQ(runner.commands[1], L".\\devcon.exe drivernodes *PCI\\VEN_8086^&DEV_3E9B*");
    EXPECT_EQ(runner.runs[0].folder, L"C:\\工具 a&b^c%d");
    EXPECT_TRUE(runner.runs[0].endOnTimeout);
    EXPECT_EQ(runner.runs[0].timeoutMs, 120000u);
    ASSERT_EQ(packages.size(), 3u);
    EXPECT_EQ(packages[0].isCurrent, 1);
}

TEST(QueryDriverPackages, UsesTheSixtyFourBitToolAndAppendsToTheList) {
    FakeRunner runner({kDriverFiles, kDriverNodes});
    const DeviceConsole console(runner, L"D:", true);
    std::vector<DriverPackageRecord> packages{{"oem99.inf", "", "", "", 0}};
    EXPECT_TRUE(QueryDriverPackages(console, L"HDAUDIO\\FUNC_01^&VEN_10EC^&DEV_0256", packages));
    EXPECT_EQ(runner.commands[0], L".\\devconx64.exe driverfiles *HDAUDIO\\FUNC_01^&VEN_10EC^&DEV_0256*");
    EXPECT_EQ(runner.runs[0].folder, L"D:\\") << "a drive's root, not its current folder";
    EXPECT_EQ(InfNames(packages), (std::vector<std::string>{"oem99.inf", "oem7.inf"}));
    EXPECT_EQ(packages[1].isCurrent, 1);
}

TEST(QueryDriverPackages, AnAnswerCutShortIsAskedOnceMoreAndTwoLeaveTheListUnchanged) {
    // The first "drivernodes" ends without its summary line: asked again, the second answer counts, and the
    // installed package is still marked.
    FakeRunner runner({kDriverFiles, "PCI\\VEN_8086&DEV_3E9B\\3&1\r\n    Name: Intel", kDriverNodes});
    const DeviceConsole console(runner, L"C:\\t", false);
    std::vector<DriverPackageRecord> packages;
    PackageQueryNotes notes;
    EXPECT_EQ(QueryDevicePackages(console, L"PCI\\VEN_8086^&DEV_3E9B", packages, notes), PackageQueryResult::Listed);
    EXPECT_EQ(runner.commands.size(), 3u);
    ASSERT_EQ(packages.size(), 3u);
    EXPECT_EQ(packages[0].isCurrent, 1);
    EXPECT_EQ(notes.repeatedQueries, (std::vector<std::wstring>{L"drivernodes *PCI\\VEN_8086^&DEV_3E9B*（输出 42 字节，"
                                                                L"没有结尾的汇总行:     Name: Intel）"}));
    EXPECT_TRUE(notes.failedQuery.empty());

    // A "driverfiles" that cannot start twice: no "drivernodes" after it, and the list keeps what it had.
    for (const CommandOutcome failure : {CommandOutcome::NotStarted, CommandOutcome::TimedOut}) {
        FakeRunner failing({"", ""}, 0, failure);
        std::vector<DriverPackageRecord> kept{{"oem99.inf", "", "", "", 0}};
        EXPECT_FALSE(QueryDriverPackages(DeviceConsole(failing, L"C:\\t", false), L"PCI\\VEN_8086^&DEV_3E9B", kept));
        EXPECT_EQ(kept.size(), 1u);
        EXPECT_EQ(failing.commands.size(), failure == CommandOutcome::TimedOut ? 1u : 2u)
            << "a late query is not asked again";
    }
}

TEST(QueryDriverPackages, AMissingToolYieldsNoRecords) {
    const std::string notFound = "'devcon' is not recognized as an internal or external command,\r\n"
                                 "operable program or batch file.\r\n";
    FakeRunner runner({notFound, notFound});
    const DeviceConsole console(runner, L"C:\\t", false);
    std::vector<DriverPackageRecord> packages;
    EXPECT_FALSE(QueryDriverPackages(console, L"PCI\\VEN_8086^&DEV_3E9B", packages));
    EXPECT_TRUE(packages.empty());
    EXPECT_EQ(runner.commands.size(), 2u);
}

TEST(QueryDevicePackages, AMissingToolIsToldFromADeviceNotPresent) {
    const std::string notFound = "'devcon' is not recognized as an internal or external command,\r\n"
                                 "operable program or batch file.\r\n";
    FakeRunner runner({notFound, notFound, notFound});
    const DeviceConsole console(runner, L"C:\\t", false);
    std::vector<DriverPackageRecord> packages;
    PackageQueryNotes notes;
    EXPECT_EQ(QueryDevicePackages(console, L"PCI\\VEN_8086^&DEV_3E9B", packages, notes),
              PackageQueryResult::ToolFailed);
    EXPECT_TRUE(packages.empty());
    EXPECT_EQ(runner.commands.size(), 2u) << "asked once more, then no other query of a tool that did not answer";
    EXPECT_EQ(notes.failedQuery, L"driverfiles *PCI\\VEN_8086^&DEV_3E9B*（输出 97 字节，没有结尾的汇总行: operable "
                                 L"program or batch file.）");

    // One answer cut short is asked again, and the second answer counts.
    FakeRunner once(
        {"PCI\\VEN_8086&DEV_3E9B\\3&1\r\n", "No matching devices found.\r\n", "No matching devices found.\r\n"});
    EXPECT_EQ(QueryDevicePackages(DeviceConsole(once, L"C:\\t", false), L"PCI\\VEN_8086^&DEV_3E9B", packages, notes),
              PackageQueryResult::NotListed);

    FakeRunner absent({"No matching devices found.\r\n", "No matching devices found.\r\n"});
    EXPECT_EQ(QueryDevicePackages(DeviceConsole(absent, L"C:\\t", false), L"PCI\\VEN_8086^&DEV_3E9B", packages, notes),
              PackageQueryResult::NotListed);
}
