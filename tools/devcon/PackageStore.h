// The files of the simulated PC's driver store: what each third-party package holds on disk, made up from its
// description so that every run and every prefix gives the same bytes.
#pragma once

#include "SimulatedPc.h"

#include <string>
#include <string_view>
#include <vector>

struct StoreFile {
    std::string name;
    std::string bytes;
};

// "iigd_dch.inf": the name the package's INF had before Windows published it as oemN.inf.
std::string OriginalInfName(const DriverPackage& package);

// "iigd_dch.inf_amd64_1c2b2b6e5e0a1c3d", the package's folder under System32\DriverStore\FileRepository.
std::string StoreFolderName(const DriverPackage& package, std::string_view arch);

// The INF (first), catalogue and driver of the package's store folder. The INF names the package's models
// as the devices' nodes describe them.
std::vector<StoreFile> PackageStoreFiles(const SimulatedPc& pc, const DriverPackage& package);

// The precompiled INF beside the published one, C:\Windows\INF\oemN.PNF.
std::string PackagePnf(const SimulatedPc& pc, const DriverPackage& package);

// "oemN.PNF" for "oemN.inf".
std::string PnfName(std::string_view publishedName);

// Only third-party packages have store files of ours; inbox packages belong to Windows.
inline bool HasStoreFiles(const DriverPackage& package) {
    return !package.inbox;
}
