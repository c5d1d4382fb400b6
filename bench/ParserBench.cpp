// Parsing speed of the Device Console output against the floor of reading the same bytes once (a memchr count
// of the line breaks), for both parsers, four shapes of output and 1, 10 and 100 MB. After the runs a table
// gives each parse beside its floor, and how the time grows when the input grows tenfold. Times are processor
// time of this process, so that other work on a shared machine does not count. Run it as
// `<build>/bench/bench_parsers` (about a minute; the generated inputs need some 400 MB of memory).
#include "DevconOutputGenerator.h"

#include "discovery/CategoryScan.h"
#include "discovery/PackageQuery.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <malloc.h>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr size_t kMegabyte = 1000 * 1000;
const size_t kSizes[] = {1 * kMegabyte, 10 * kMegabyte, 100 * kMegabyte};
const OutputShape kShapes[] = {OutputShape::DeviceLast, OutputShape::DeviceAbsent, OutputShape::DistinctNames,
                               OutputShape::NoHeadings};

const char* FormatName(DevconFormat format) {
    return format == DevconFormat::DriverFiles ? "driverfiles" : "drivernodes";
}

std::string CaseName(DevconFormat format, OutputShape shape, size_t bytes) {
    return std::string(FormatName(format)) + "/" + ShapeName(shape) + "/" + std::to_string(bytes / kMegabyte) + "MB";
}

void ParseOnce(DevconFormat format, const GeneratedOutput& input) {
    if (format == DevconFormat::DriverFiles) {
        std::string current;
        benchmark::DoNotOptimize(ParseDriverFiles(input.text, input.matchText, current));
        benchmark::DoNotOptimize(current);
    } else {
        std::vector<DriverPackageRecord> packages;
        benchmark::DoNotOptimize(ParseDriverNodes(input.text, input.matchText, "oem1.inf", packages));
        benchmark::DoNotOptimize(packages);
    }
}

// Only the input of the case being measured is kept: a parse and its floor run one after the other. One parse
// before the measured ones brings the heap to its size, so that no size pays for its first growth.
const GeneratedOutput& Input(DevconFormat format, OutputShape shape, size_t bytes) {
    static std::string key;
    static GeneratedOutput output;
    const std::string wanted = CaseName(format, shape, bytes);
    if (key != wanted) {
        output = GenerateDevconOutput(format, shape, bytes);
        key = wanted;
        ParseOnce(format, output);
    }
    return output;
}

// Every iteration starts with the caches holding other data. Otherwise 1 and 10 MB of input stay in the
// processor's cache from one iteration to the next while 100 MB cannot, and the tenfold comparison would
// measure the cache instead of the parser.
void EvictCaches(benchmark::State& state) {
    state.PauseTiming();
    static std::vector<char> other(128 * kMegabyte);
    for (size_t at = 0; at < other.size(); at += 64)
        ++other[at];
    benchmark::ClobberMemory();
    state.ResumeTiming();
}

int64_t IterationsFor(size_t bytes) {
    return bytes >= 100 * kMegabyte ? 5 : bytes >= 10 * kMegabyte ? 20 : 50;
}

void Parse(benchmark::State& state, DevconFormat format, OutputShape shape, size_t bytes) {
    const GeneratedOutput& input = Input(format, shape, bytes);
    for (auto _ : state) {
        EvictCaches(state);
        ParseOnce(format, input);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.text.size()));
}

// The floor: the line breaks of the same bytes counted with memchr, once.
void Floor(benchmark::State& state, DevconFormat format, OutputShape shape, size_t bytes) {
    const std::string& text = Input(format, shape, bytes).text;
    for (auto _ : state) {
        EvictCaches(state);
        size_t lines = 0;
        const char* at = text.data();
        const char* const end = at + text.size();
        while ((at = static_cast<const char*>(std::memchr(at, '\n', end - at))) != nullptr) {
            ++lines;
            ++at;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
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

// The usual console output, then the table: each parse beside its floor, and its growth per tenfold input.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.error_message.empty())
                seconds_[run.run_name.function_name] = run.GetAdjustedCPUTime() / 1e9 * NanosecondsPer(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-36s %12s %12s %8s %12s\n", "measure", "ours (ms)", "floor (ms)", "ratio", "10x input");
        for (DevconFormat format : {DevconFormat::DriverFiles, DevconFormat::DriverNodes}) {
            for (OutputShape shape : kShapes) {
                double previous = 0;
                for (size_t bytes : kSizes) {
                    const std::string name = CaseName(format, shape, bytes);
                    const auto ours = seconds_.find("parse/" + name);
                    const auto floor = seconds_.find("floor/" + name);
                    if (ours == seconds_.end() || floor == seconds_.end())
                        continue;
                    char growth[32] = "";
                    if (previous > 0)
                        std::snprintf(growth, sizeof growth, "%.2fx", ours->second / previous);
                    std::printf("%-36s %12.3f %12.3f %8.2f %12s\n", name.c_str(), ours->second * 1e3,
                                floor->second * 1e3, ours->second / floor->second, growth);
                    previous = ours->second;
                }
            }
        }
        std::fflush(stdout);
    }

private:
    static double NanosecondsPer(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kSecond:
            return 1e9;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kMicrosecond:
            return 1e3;
        default:
            return 1;
        }
    }

    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv) {
    // glibc hands blocks above 32 MB back to the system when they are freed, so only the 100 MB runs would pay
    // for fresh pages on every iteration; freed memory is kept for reuse at every size instead.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    for (DevconFormat format : {DevconFormat::DriverFiles, DevconFormat::DriverNodes}) {
        for (OutputShape shape : kShapes) {
            for (size_t bytes : kSizes) {
                const std::string name = CaseName(format, shape, bytes);
                benchmark::RegisterBenchmark(("parse/" + name).c_str(), Parse, format, shape, bytes)
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(IterationsFor(bytes));
                benchmark::RegisterBenchmark(("floor/" + name).c_str(), Floor, format, shape, bytes)
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(IterationsFor(bytes));
            }
        }
    }
    benchmark::RegisterBenchmark("MatchIds", MatchIds);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
