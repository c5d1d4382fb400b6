// The package query: command lines, the two output parsers, and what survives damaged output.
#include "discovery/PackageQuery.h"

#include "FakeRunner.h"

#include <gtest/gtest.h>

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

const std::string kDriverNodes =
    "PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086&REV_00\\3&11583659&0&10\r\n"
    "    Name: Intel(R) UHD Graphics 630\r\n" +
    Node(0, "oem12.inf", "Intel Corporation", "3/24/2020", "26.20.100.7985") +
    Node(1, "oem5.inf", "Intel Corporation", "1/10/2019", "25.20.100.6472") +
    Node(2, "display.inf", "Microsoft", "6/21/2006", "10.0.19041.1") +
    "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0256&SUBSYS_10280798&REV_1000\\4&2C5B6FCD&0&0001\r\n"
    "    Name: Realtek Audio\r\n" +
    Node(0, "oem7.inf", "Realtek", "5/6/2021", "6.0.9147.1") + "2 matching device(s) found.\r\n";

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
    const std::string text = "X\\1\r\n    Name: x\r\n" + Node(0, "oem12.inf", "a", "d", "1") +
                             Node(1, "oem1.inf", "b", "d", "2");
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

TEST(QueryDriverPackages, RunsBothQueriesFromTheProgramFolderAndMarksTheInstalledNode) {
    FakeRunner runner({kDriverFiles, kDriverNodes});
    const DeviceConsole console(runner, L"C:\\工具 a&b^c%d", false);
    std::vector<DriverPackageRecord> packages;
    QueryDriverPackages(console, L"PCI\\VEN_8086^&DEV_3E9B", packages);

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
    QueryDriverPackages(console, L"HDAUDIO\\FUNC_01^&VEN_10EC^&DEV_0256", packages);
    EXPECT_EQ(runner.commands[0], L".\\devconx64.exe driverfiles *HDAUDIO\\FUNC_01^&VEN_10EC^&DEV_0256*");
    EXPECT_EQ(runner.runs[0].folder, L"D:\\") << "a drive's root, not its current folder";
    EXPECT_EQ(InfNames(packages), (std::vector<std::string>{"oem99.inf", "oem7.inf"}));
    EXPECT_EQ(packages[1].isCurrent, 1);
}

TEST(QueryDriverPackages, ACommandThatCannotStartLeavesTheListUnchanged) {
    for (int failAt : {0, 1}) {
        FakeRunner runner({kDriverFiles, kDriverNodes}, failAt);
        const DeviceConsole console(runner, L"C:\\t", false);
        std::vector<DriverPackageRecord> packages;
        QueryDriverPackages(console, L"PCI\\VEN_8086^&DEV_3E9B", packages);
        EXPECT_TRUE(packages.empty());
        EXPECT_EQ(runner.commands.size(), static_cast<size_t>(failAt + 1));
    }
}

TEST(QueryDriverPackages, AMissingToolYieldsNoRecords) {
    const std::string notFound = "'devcon' is not recognized as an internal or external command,\r\n"
                                 "operable program or batch file.\r\n";
    FakeRunner runner({notFound, notFound});
    const DeviceConsole console(runner, L"C:\\t", false);
    std::vector<DriverPackageRecord> packages;
    QueryDriverPackages(console, L"PCI\\VEN_8086^&DEV_3E9B", packages);
    EXPECT_TRUE(packages.empty());
    EXPECT_EQ(runner.commands.size(), 2u);
}

TEST(CommandLine, OnlyWhatAHardwareIdOrInfNameHoldsReachesTheInterpreter) {
    EXPECT_EQ(DevicePatternArgument(L"USB\\VID_046D&PID_0825^&MI_00"), L"*USB\\VID_046D^&PID_0825^&MI_00*");
    EXPECT_EQ(DevicePatternArgument(L"*PNP0F13"), L"*PNP0F13*");
    EXPECT_EQ(DevicePatternArgument(L"{5d624f94-8850-40c3}\\vwifimp_wdi#1"), L"*{5d624f94-8850-40c3}\\vwifimp_wdi#1*");
    for (const wchar_t* unsafe : {L"PCI\\VEN_8086|calc", L"A<B", L"A>B", L"A%PATH%", L"A\"B", L"A^B", L"A(B)", L"A!B",
                                  L"A B", L"A\tB", L"A\rB", L"A,B", L"PCI\\VEN_*&DEV_1", L"USB\\VID_\u5986", L"", L"**"})
        EXPECT_FALSE(DevicePatternArgument(unsafe)) << unsafe;
    EXPECT_EQ(InfNameArgument(L"oem12.INF"), L"oem12.INF");
    for (const wchar_t* unsafe : {L"oem12.inf&calc", L"C:\\Windows\\INF\\oem1.inf", L"oem 1.inf", L"oem%1%.inf",
                                  L"oem1.sys", L".inf", L"oem1.inf\r", L"\u6d4b\u8bd5.inf"})
        EXPECT_FALSE(InfNameArgument(unsafe)) << unsafe;
}

TEST(CommandLine, NothingRunsFromANetworkFolderWhereTheInterpreterWouldStartElsewhere) {
    FakeRunner runner({});
    const DeviceConsole console(runner, L"\\\\server\\share\\tool", false);
    std::string output;
    EXPECT_EQ(console.Rescan(output), CommandOutcome::NotStarted);
    EXPECT_TRUE(runner.commands.empty());
}

TEST(CommandLine, RefusesTextsTheInterpreterLineCannotHold) {
    EXPECT_TRUE(FitsCommandLine(std::wstring(1013, L'x'))); // with "cmd /D /C ", 1023 units
    EXPECT_FALSE(FitsCommandLine(std::wstring(1014, L'x')));
    EXPECT_EQ(MatchTextOf(L"PCI\\VEN_8086^&DEV_3E9B^&SUBSYS_0"), "PCI\\VEN_8086&DEV_3E9B&SUBSYS_0");
}
