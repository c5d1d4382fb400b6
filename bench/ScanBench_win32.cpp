// A scan of the simulated PC against the sum of the same Device Console runs spawned bare, side by side in one
// run (interleaved round by round): the scan's own work (registry walk, matching, parsing, the runner) should add
// little to the processes it starts.
// Run from a program folder holding devcon.exe (or devconx64.exe) and ParsingString.xml, with the demo PC's
// class keys in the registry (see bench/run-scan-bench.sh).
#include "console/WindowsConsole.h"
#include "discovery/Catalogue.h"
#include "discovery/CategoryScan.h"
#include "discovery/RegistryReader_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Passes commands to the real runner and keeps them, so that the same runs can be timed on their own.
class RecordingRunner : public ICommandRunner {
public:
    CommandOutcome RunConsoleCommand(const ConsoleCommand& command, std::string& output) override {
        commands.push_back(command);
        return runner_.RunConsoleCommand(command, output);
    }
    std::vector<ConsoleCommand> commands;

private:
    ConsoleRunner runner_;
};

// The anchor: the same command spawned the plainest way, without any of the product's code — an anonymous pipe,
// "cmd /C", blocking reads until the pipe ends, then a wait for the process.
void BareSpawn(const ConsoleCommand& command) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
        return;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.wShowWindow = SW_HIDE;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    std::wstring line = L"cmd /C " + command.text;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        command.folder.c_str(), &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
}

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
    std::vector<ConsoleCommand> commands;
    for (int round = 0; round < rounds; ++round) {
        // Which of the two goes first alternates from round to round (the first scan records the commands), so
        // that neither gains from what the other left warm.
        auto scan = [&] {
            RecordingRunner recording;
            LocalMachineRegistry registry;
            NullReport report;
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            RunScan(inventory, registry, DeviceConsole(recording, GetProgramFolder(), inventory.scanner.is64Bit),
                    report);
            QueryPerformanceCounter(&end);
            scans.push_back(Seconds(start, end));
            commands = recording.commands;
        };
        auto bare = [&] {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            for (const ConsoleCommand& command : commands)
                BareSpawn(command);
            QueryPerformanceCounter(&end);
            consoles.push_back(Seconds(start, end));
        };
        if (round % 2 == 0) {
            scan();
            bare();
        } else {
            bare();
            scan();
        }
    }
    const size_t commandCount = commands.size();
    const double scan = Median(scans);
    const double console = Median(consoles);
    std::printf("rounds %d, console runs per scan %zu\n", rounds, commandCount);
    std::printf("scan of the simulated PC      %8.3f s (median)\n", scan);
    std::printf("bare cmd /C spawns of the same %8.3f s (median)\n", console);
    std::printf("ratio scan / bare spawns      %8.3f\n", scan / console);
    return 0;
}
