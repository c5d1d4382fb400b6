// A package backup that records what it saves and discards, a report that keeps what it is sent, and a
// graphics card with its packages.
#pragma once

#include "backup/PackageBackup.h"
#include "console/WorkerReport.h"
#include "discovery/DriverInventory.h"

#include <string>
#include <vector>

struct RecordingBackup : IPackageBackup {
    BackupOutcome Backup(const BackupRequest& request) override {
        saved.push_back(request.package.infName + " " + request.deviceKey);
        BackupOutcome outcome;
        outcome.made = works;
        outcome.folder = works ? L"B\\" + std::to_wstring(saved.size()) : L"";
        outcome.reason = works ? L"" : L"disk full";
        outcome.size = works ? 1000 : 0;
        return outcome;
    }
    void Discard(BackupOutcome& outcome) override {
        discarded.push_back(outcome.folder);
        outcome = {};
    }
    bool works = true;
    std::vector<std::string> saved;
    std::vector<std::wstring> discarded;
};

struct NoReport : IWorkerReport {
    void Send(uint32_t, uintptr_t wParam) override { results.push_back(wParam); }
    void LogFailure(std::wstring_view entry) override { log.emplace_back(entry); }
    std::vector<uintptr_t> results;
    std::vector<std::wstring> log;
};

inline DeviceRecord Card() {
    DeviceRecord device;
    device.category = 1;
    device.deviceKey = "8086_3E9B";
    device.searchPattern = "PCI\\VEN_8086^&DEV_3E9B";
    device.packages = {{"oem12.inf", "Intel", "3/24/2020", "26.20.100.7985", 1},
                       {"oem8.inf", "Intel", "8/26/2019", "26.20.100.7158", 0},
                       {"oem3.inf", "Intel", "12/5/2018", "25.20.100.6472", 0},
                       {"oem4.inf", "Intel", "12/5/2018", "25.20.100.999", 0},
                       {"display.inf", "Microsoft", "6/21/2006", "10.0.19041.1", 0}};
    return device;
}
