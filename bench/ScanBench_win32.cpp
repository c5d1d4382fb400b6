// A scan of the simulated PC against the sum of its console runs, side by side in one run: the scan's own
// work (registry walk, matching, parsing) should add little to the Device Console runs it makes.
// Run from a program folder holding devcon.exe (or devconx64.exe) and ParsingString.xml, with the demo PC's
// class keys in the registry (see bench/run-scan-bench.sh).
#include "discovery/Catalogue.h"
#include "discovery/CategoryScan.h"
#include "discovery/RegistryReader_win32.h"
#include "console/WindowsConsole.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Passes commands to the real runner and keeps them, so that the same runs can be timed on their own.
class RecordingRunner : public ICommandRunner {
public:
    bool RunConsoleCommand(std::wstring_view command, std::string& output) override {
        commands.emplace_back(command);
        return runner_.RunConsoleCommand(command, output);
    }
    std::vector<std::wstring> commands;

private:
    ConsoleRunner runner_;
};

struct NullReport : IWorkerReport {
    void Send(uint32_t, uintptr_t) override {}
    void LogFailure(std::wstring_view) override {}
};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    DriverInventory inventory;
    if (!LoadCatalogue(inventory)) {
        std::fprintf(stderr, "ParsingString.xml could not be loaded from the program folder\n");
        return 2;
    }
    std::vector<double> scans;
    std::vector<double> consoles;
    size_t commandCount = 0;
    for (int round = 0; round < rounds; ++round) {
        RecordingRunner recording;
        LocalMachineRegistry registry;
        NullReport report;
        LARGE_INTEGER start, middle, end;
        QueryPerformanceCounter(&start);
        RunScan(inventory, registry, DeviceConsole(recording, GetProgramFolder(), inventory.scanner.is64Bit), report);
        QueryPerformanceCounter(&middle);
        ConsoleRunner runner;
        for (const std::wstring& command : recording.commands) {
            std::string output;
            runner.RunConsoleCommand(command, output);
        }
        QueryPerformanceCounter(&end);
        scans.push_back(Seconds(start, middle));
        consoles.push_back(Seconds(middle, end));
        commandCount = recording.commands.size();
    }
    const double scan = Median(scans);
    const double console = Median(consoles);
    std::printf("rounds %d, console runs per scan %zu\n", rounds, commandCount);
    std::printf("scan of the simulated PC      %8.3f s (median)\n", scan);
    std::printf("its console runs on their own %8.3f s (median)\n", console);
    std::printf("ratio scan / console runs     %8.3f\n", scan / console);
    return 0;
}
