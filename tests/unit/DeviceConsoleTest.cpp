// The Device Console's command lines: what reaches the interpreter, from which folder, and how long a line may be.
#include "console/DeviceConsole.h"

#include "FakeRunner.h"

#include <gtest/gtest.h>

#include <string>

TEST(CommandLine, OnlyWhatAHardwareIdOrInfNameHoldsReachesTheInterpreter) {
    EXPECT_EQ(DevicePatternArgument(L"USB\\VID_046D&PID_0825^&MI_00"), L"*USB\\VID_046D^&PID_0825^&MI_00*");
    EXPECT_EQ(DevicePatternArgument(L"*PNP0F13"), L"*PNP0F13*");
    EXPECT_EQ(DevicePatternArgument(L"{5d624f94-8850-40c3}\\vwifimp_wdi#1"), L"*{5d624f94-8850-40c3}\\vwifimp_wdi#1*");
    for (const wchar_t* unsafe :
         {L"PCI\\VEN_8086|calc", L"A<B", L"A>B", L"A%PATH%", L"A\"B", L"A^B", L"A(B)", L"A!B", L"A B", L"A\tB", L"A\rB",
          L"A,B", L"PCI\\VEN_*&DEV_1", L"USB\\VID_\u5986", L"", L"**"})
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
}
