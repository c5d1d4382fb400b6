// Parsing speed of the Device Console output against a plain scan of the same text, side by side: the
// parsers should cost a small multiple of reading the bytes once.
#include "discovery/CategoryScan.h"
#include "discovery/PackageQuery.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// "drivernodes" output of `devices` devices with `nodes` nodes each; the device to parse comes last.
std::string NodesOutput(int devices, int nodes) {
    std::string text;
    for (int device = 0; device < devices; ++device) {
        text += "PCI\\VEN_8086&DEV_" + std::to_string(1000 + device) + "&SUBSYS_22128086&REV_00\\3&11583659&0&10\r\n";
        text += "    Name: Device " + std::to_string(device) + "\r\n";
        for (int node = 0; node < nodes; ++node) {
            text += "Driver node #" + std::to_string(node) + ":\r\n    Inf file is C:\\Windows\\INF\\oem" +
                    std::to_string(device * nodes + node) +
                    ".inf\r\n    Inf section is S\r\n    Driver description is D\r\n    Manufacturer name is M\r\n"
                    "    Provider name is P\r\n    Driver date is 3/24/2020\r\n    Driver version is 1.2.3.4\r\n"
                    "    Driver node rank is 16719872\r\n    Driver node flags are 00003044\r\n";
        }
    }
    return text + std::to_string(devices) + " matching device(s) found.\r\n";
}

void ParseNodes(benchmark::State& state) {
    const int devices = static_cast<int>(state.range(0));
    const std::string output = NodesOutput(devices, 4);
    const std::string match = "PCI\\VEN_8086&DEV_" + std::to_string(1000 + devices - 1);
    for (auto _ : state) {
        std::vector<DriverPackageRecord> packages;
        ParseDriverNodes(output, match, "oem1.inf", packages);
        benchmark::DoNotOptimize(packages);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * output.size()));
}

// The floor: one pass over the same bytes.
void ScanBytes(benchmark::State& state) {
    const std::string output = NodesOutput(static_cast<int>(state.range(0)), 4);
    for (auto _ : state)
        benchmark::DoNotOptimize(std::count(output.begin(), output.end(), '\n'));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * output.size()));
}

void MatchIds(benchmark::State& state) {
    DriverScanner scanner;
    scanner.idPatterns = {{"VEN_", "DEV_"}, {"VID_", "PID_"}, {"ACPI\\", ""}, {"BTH\\MS_", ""}};
    scanner.terminators = {"\r\n", "&", "\\", " "};
    const std::vector<std::string> ids{"PCI\\VEN_8086&DEV_3E9B&SUBSYS_22128086", "USB\\VID_046D&PID_0825&MI_00",
                                       "ACPI\\ELAN0501", "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0257", "ROOT\\BASICDISPLAY"};
    for (auto _ : state) {
        for (const std::string& id : ids)
            benchmark::DoNotOptimize(MatchHardwareId(scanner, id));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * ids.size()));
}

} // namespace

BENCHMARK(ParseNodes)->Arg(1)->Arg(20)->Arg(200);
BENCHMARK(ScanBytes)->Arg(1)->Arg(20)->Arg(200);
BENCHMARK(MatchIds);
BENCHMARK_MAIN();
