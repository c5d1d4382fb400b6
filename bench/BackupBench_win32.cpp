// The backup of a graphics driver's store folder (1 GB: a few hundred files, a few of them over 100 MB) against
// its floor — the same files copied with CopyFileW plus one SHA-256 pass over them — side by side in one run,
// interleaved round by round (the order alternating), each round into a fresh folder that is removed after.
// usage: bench_backup.exe <work folder> [rounds]   (bench/run-backup-bench.sh runs it under Wine)
#include "backup/PackageBackup.h"
#include "backup/Sha256.h"
#include "backup/WindowsBackup.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The machine's files, but with a Windows folder of the benchmark's own.
class BenchFiles : public WindowsBackupFiles {
public:
    explicit BenchFiles(std::wstring windows) : windows_(std::move(windows)) {}
    std::wstring WindowsFolder() override { return windows_; }
    std::wstring StoreInfOf(const std::wstring&) override { return windows_ + kStoreInf; }
    static constexpr const wchar_t* kStoreInf =
        L"\\System32\\DriverStore\\FileRepository\\iigd_dch.inf_amd64_1c2b2b6e5e0a1c3d\\iigd_dch.inf";

private:
    std::wstring windows_;
};

bool WriteBytes(const std::wstring& path, uint64_t size, uint32_t seed) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<uint32_t> chunk(1 << 18);
    bool written = true;
    for (uint64_t done = 0; written && done < size;) {
        for (uint32_t& word : chunk)
            word = seed = seed * 1664525u + 1013904223u; // incompressible enough, and quick
        const DWORD part = static_cast<DWORD>(std::min<uint64_t>(size - done, chunk.size() * 4));
        DWORD wrote = 0;
        written = WriteFile(file, chunk.data(), part, &wrote, nullptr) && wrote == part;
        done += part;
    }
    CloseHandle(file);
    return written;
}

// A store folder shaped like a graphics driver's: four files of 100–170 MB, the rest small and medium.
std::vector<std::pair<std::wstring, uint64_t>> StoreShape() {
    std::vector<std::pair<std::wstring, uint64_t>> files = {{L"igdkmd64.sys", 170ull << 20},
                                                            {L"igd12umd64.dll", 140ull << 20},
                                                            {L"igdumdim64.dll", 120ull << 20},
                                                            {L"igc64.dll", 110ull << 20}};
    uint64_t total = 540ull << 20;
    for (int i = 0; total < (1ull << 30); ++i) {
        const uint64_t size = i % 10 == 0 ? (9ull << 20) + i * 4096 : (1ull << 20) + (i % 7) * 40000;
        files.push_back({L"sub" + std::to_wstring(i % 6) + L"\\file" + std::to_wstring(i) + L".bin", size});
        total += size;
    }
    files.push_back({L"iigd_dch.inf", 400000});
    return files;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: bench_backup <work folder> [rounds]\n");
        return 2;
    }
    const std::wstring work = argv[1];
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    const std::wstring windows = work + L"\\Windows";
    const std::wstring store =
        windows + L"\\System32\\DriverStore\\FileRepository\\iigd_dch.inf_amd64_1c2b2b6e5e0a1c3d";
    WindowsBackupFiles disk;
    // A folder made by an earlier round or file is as good as a new one.
    const auto makeFolder = [&disk](const std::wstring& path) { static_cast<void>(disk.CreateNewFolder(path)); };
    makeFolder(store + L"\\sub0");
    uint64_t total = 0;
    const auto shape = StoreShape();
    uint32_t seed = 7;
    for (const auto& [name, size] : shape) {
        const std::wstring path = store + L"\\" + name;
        makeFolder(path.substr(0, path.rfind(L'\\')));
        if (!WriteBytes(path, size, ++seed)) {
            std::fwprintf(stderr, L"cannot write %ls\n", path.c_str());
            return 1;
        }
        total += size;
    }
    makeFolder(windows + L"\\INF");
    CopyFileW((store + L"\\iigd_dch.inf").c_str(), (windows + L"\\INF\\oem12.inf").c_str(), FALSE);

    BenchFiles files(windows);
    const BackupRequest request{1,
                                "8086_3E9B",
                                "PCI\\VEN_8086^&DEV_3E9B",
                                "Intel(R) UHD Graphics 630",
                                {"oem12.inf", "Intel Corporation", "2020/3/24", "26.20.100.7985", 1}};
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    std::vector<double> floorTimes, backupTimes;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool floor = (turn == 0) == (round % 2 == 0);
            const std::wstring target = work + L"\\round";
            LARGE_INTEGER start{}, end{};
            QueryPerformanceCounter(&start);
            if (floor) {
                // The floor: CopyFileW of every file, then one SHA-256 pass over them.
                for (const auto& [name, size] : shape) {
                    const std::wstring to = target + L"\\" + name;
                    makeFolder(to.substr(0, to.rfind(L'\\')));
                    CopyFileW((store + L"\\" + name).c_str(), to.c_str(), TRUE);
                }
                for (const auto& [name, size] : shape) {
                    if (!disk.HashFile(store + L"\\" + name)) {
                        std::fwprintf(stderr, L"cannot hash %ls\n", name.c_str());
                        return 1;
                    }
                }
            } else {
                PackageBackup backup(
                    files, {target, L"", kDefaultBackupLimit * 4}, [] { return LocalTimeText(); },
                    [](std::wstring_view) {});
                if (!backup.Backup(request).made) {
                    std::fwprintf(stderr, L"the backup failed\n");
                    return 1;
                }
            }
            QueryPerformanceCounter(&end);
            (floor ? floorTimes : backupTimes).push_back(Seconds(start, end, frequency));
            if (!disk.RemoveTree(target)) {
                std::fwprintf(stderr, L"cannot remove %ls\n", target.c_str());
                return 1;
            }
        }
    }
    const double floorMedian = Median(floorTimes), backupMedian = Median(backupTimes);
    std::wprintf(L"store folder: %zu files, %.0f MB; %d rounds, medians\n", shape.size(), total / 1048576.0, rounds);
    std::wprintf(L"%-42ls %9ls %9ls\n", L"", L"seconds", L"MB/s");
    std::wprintf(L"%-42ls %9.2f %9.0f\n", L"floor (CopyFileW + one SHA-256 pass)", floorMedian,
                 total / 1048576.0 / floorMedian);
    std::wprintf(L"%-42ls %9.2f %9.0f\n", L"backup (copy, check, manifest)", backupMedian,
                 total / 1048576.0 / backupMedian);
    std::wprintf(L"ratio backup / floor: %.2f (target within 1.30)\n", backupMedian / floorMedian);
    return disk.RemoveTree(windows) ? 0 : 1;
}
