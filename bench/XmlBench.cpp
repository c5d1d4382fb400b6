// The XML reader against two common libraries, side by side: load a generated catalogue of 1 MB and 20 MB
// from a file and visit every element and attribute. Times are medians of interleaved repetitions; peak
// memory is measured by loading the 20 MB file once in a fresh process per reader. The libraries are
// yardsticks only and are linked into this program alone. The reader as it was before its rewrite runs too,
// for the record of what changed.
//
// usage: bench_xml [Google Benchmark flags]      (prints the table of ratios at the end)
//        bench_xml --peak ours|legacy|pugixml|tinyxml2|none FILE
#include "LegacyXmlDocument.h"
#include "XmlCatalogue.h"
#include "xml/XmlDocument.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <tinyxml2.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---- Visiting every element and attribute, as each reader offers it ----

// Our reader reads attributes by name, as the catalogue loader does: the names each element carries.
const std::vector<std::wstring>& AttributesOf(const std::wstring& element) {
    static const std::vector<std::wstring> kPatterns{L"NameString1", L"NameString2"};
    static const std::vector<std::wstring> kTerminators{L"NameString"};
    static const std::vector<std::wstring> kNone;
    return element == L"HARDWARE_ID" ? kPatterns : element == L"HARDWARE_ID_END" ? kTerminators : kNone;
}

template <typename Doc> size_t VisitOurs(Doc& doc) {
    size_t visited = 0;
    doc.ResetMain();
    while (doc.FindElement()) {
        visited += doc.GetTagName().size();
        size_t depth = 0;
        for (;;) {
            if (doc.FindChildElement()) {
                const std::wstring name = doc.GetChildTagName();
                visited += name.size();
                for (const std::wstring& attribute : AttributesOf(name))
                    visited += doc.GetChildAttribute(attribute).size();
                doc.EnterElement();
                ++depth;
                continue;
            }
            if (depth == 0)
                break;
            doc.LeaveElement();
            --depth;
        }
    }
    return visited;
}

template <typename Doc> size_t LoadOurs(const fs::path& file) {
    Doc doc;
    if (!doc.LoadFile(file))
        return 0;
    return VisitOurs(doc);
}

size_t VisitPugi(const pugi::xml_node& node) {
    size_t visited = 0;
    std::vector<pugi::xml_node> stack{node};
    while (!stack.empty()) {
        const pugi::xml_node current = stack.back();
        stack.pop_back();
        for (pugi::xml_node child = current.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element)
                continue;
            visited += std::strlen(child.name());
            for (pugi::xml_attribute attribute = child.first_attribute(); attribute;
                 attribute = attribute.next_attribute())
                visited += std::strlen(attribute.value());
            stack.push_back(child);
        }
    }
    return visited;
}

size_t LoadPugi(const fs::path& file) {
    pugi::xml_document doc;
    if (!doc.load_file(file.c_str()))
        return 0;
    return VisitPugi(doc);
}

size_t LoadTiny(const fs::path& file) {
    tinyxml2::XMLDocument doc;
    if (doc.LoadFile(file.c_str()) != tinyxml2::XML_SUCCESS)
        return 0;
    size_t visited = 0;
    std::vector<const tinyxml2::XMLElement*> stack{doc.RootElement()};
    visited += std::strlen(doc.RootElement()->Name());
    while (!stack.empty()) {
        const tinyxml2::XMLElement* current = stack.back();
        stack.pop_back();
        for (const tinyxml2::XMLElement* child = current->FirstChildElement(); child;
             child = child->NextSiblingElement()) {
            visited += std::strlen(child->Name());
            for (const tinyxml2::XMLAttribute* attribute = child->FirstAttribute(); attribute;
                 attribute = attribute->Next())
                visited += std::strlen(attribute->Value());
            stack.push_back(child);
        }
    }
    return visited;
}

struct Reader {
    const char* name;
    size_t (*load)(const fs::path&);
};

const Reader kReaders[] = {
    {"ours", LoadOurs<XmlDocument>},
    {"legacy", LoadOurs<legacy::XmlDocument>},
    {"pugixml", LoadPugi},
    {"tinyxml2", LoadTiny},
};

const Reader* FindReader(const std::string& name) {
    for (const Reader& reader : kReaders) {
        if (name == reader.name)
            return &reader;
    }
    return nullptr;
}

// ---- The generated files ----

struct Catalogues {
    Catalogues() : folder(fs::temp_directory_path() / ("bench_xml_" + std::to_string(getpid()))) {
        fs::create_directories(folder);
        for (size_t megabytes : {1, 20}) {
            const fs::path file = folder / ("catalogue_" + std::to_string(megabytes) + "mb.xml");
            const std::string text = GenerateCatalogue(megabytes << 20);
            std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
            files[megabytes] = file;
        }
    }
    ~Catalogues() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder;
    std::map<size_t, fs::path> files;
};

Catalogues* g_catalogues = nullptr;

void LoadAndVisit(benchmark::State& state, const Reader* reader, size_t megabytes) {
    const fs::path& file = g_catalogues->files.at(megabytes);
    const auto bytes = static_cast<int64_t>(fs::file_size(file));
    for (auto _ : state) {
        const size_t visited = reader->load(file);
        if (visited == 0)
            state.SkipWithError("the catalogue did not load");
        benchmark::DoNotOptimize(visited);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

// ---- Peak memory: one load in a process of its own ----

// The high-water mark of this process's resident memory, in KiB. Read from /proc rather than getrusage, whose
// figure survives exec and would include the parent that started us.
long PeakKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

int MeasurePeak(const std::string& readerName, const fs::path& file) {
    size_t visited = 1;
    if (readerName != "none") {
        const Reader* reader = FindReader(readerName);
        if (reader == nullptr)
            return 2;
        visited = reader->load(file);
    }
    std::printf("%ld\n", PeakKib());
    return visited != 0 ? 0 : 1;
}

long PeakOf(const char* self, const std::string& reader, const fs::path& file) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execl(self, self, "--peak", reader.c_str(), file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    char buffer[64] = {};
    const ssize_t got = read(pipeFds[0], buffer, sizeof(buffer) - 1);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::atol(buffer);
}

// ---- The table ----

// Keeps the medians of the repetitions for the table, while the console shows every run as usual.
class MedianCollector : public benchmark::ConsoleReporter {
public:
    struct Median {
        double cpu = 0;
        double real = 0;
        int64_t repetitions = 0;
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[run.run_name.function_name] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime(),
                                                       run.repetitions};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Median> medians;
};

std::string BenchName(const char* reader, size_t megabytes) {
    return std::string("LoadAndVisit/") + reader + "/" + std::to_string(megabytes) + "MB";
}

// CPU time is the figure to judge by on a shared machine: wall time there mostly measures the other programs.
void PrintTable(const MedianCollector& collector, const char* self) {
    std::printf("\n%-52s %10s %10s %7s %5s\n", "measure", "ours", "anchor", "ratio", "runs");
    for (const bool cpu : {true, false}) {
        for (size_t megabytes : {1, 20}) {
            const auto ours = collector.medians.find(BenchName("ours", megabytes));
            if (ours == collector.medians.end())
                continue;
            for (const char* anchor : {"pugixml", "tinyxml2", "legacy"}) {
                const auto other = collector.medians.find(BenchName(anchor, megabytes));
                if (other == collector.medians.end())
                    continue;
                const double mine = cpu ? ours->second.cpu : ours->second.real;
                const double theirs = cpu ? other->second.cpu : other->second.real;
                const std::string measure = "load+visit " + std::to_string(megabytes) + " MB, " +
                                            (cpu ? "CPU" : "wall") + " ms (median) vs " + anchor;
                std::printf("%-52s %10.2f %10.2f %7.2f %5lld\n", measure.c_str(), mine, theirs, mine / theirs,
                            static_cast<long long>(ours->second.repetitions));
            }
        }
    }
    const fs::path& big = g_catalogues->files.at(20);
    const long base = PeakOf(self, "none", big);
    const long ours = PeakOf(self, "ours", big);
    for (const char* anchor : {"pugixml", "tinyxml2", "legacy"}) {
        const long other = PeakOf(self, anchor, big);
        const std::string measure = std::string("peak memory, 20 MB, MiB vs ") + anchor;
        std::printf("%-52s %10.1f %10.1f %7.2f %5d\n", measure.c_str(), ours / 1024.0, other / 1024.0,
                    static_cast<double>(ours) / static_cast<double>(other), 1);
    }
    std::printf("(peak memory is the whole process's; a process that loads nothing peaks at %.1f MiB)\n",
                base / 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--peak")
        return MeasurePeak(argv[2], argv[3]);

    // Every load pays for the memory it touches, as the program's single load of its catalogue does. Left to
    // itself, glibc raises its mmap threshold up to 32 MB after the first free and then hands blocks below it
    // back between iterations without page faults, which would favour the readers with the smaller buffers.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    Catalogues catalogues;
    g_catalogues = &catalogues;
    for (size_t megabytes : {1, 20}) {
        for (const Reader& reader : kReaders)
            benchmark::RegisterBenchmark(BenchName(reader.name, megabytes).c_str(), LoadAndVisit, &reader, megabytes)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    }
    // Interleaved repetitions unless asked otherwise: a machine shared with others drifts, and each reader
    // should see the same drift.
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=9";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    auto given = [&](const char* flag) {
        return std::any_of(argv + 1, argv + argc, [&](const char* arg) { return std::strstr(arg, flag) == arg; });
    };
    if (!given("--benchmark_repetitions"))
        args.push_back(repetitions.data());
    if (!given("--benchmark_enable_random_interleaving"))
        args.push_back(interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    MedianCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    PrintTable(collector, "/proc/self/exe");
    return 0;
}
