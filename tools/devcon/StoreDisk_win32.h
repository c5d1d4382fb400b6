// The simulated PC's packages on the machine's disk: C:\Windows\INF\oemN.inf and .PNF, and the store folders
// under C:\Windows\System32\DriverStore\FileRepository.
#pragma once

#include "PackageCommands.h"
#include "SimulatedPc.h"

// Makes the disk say what the description says: every third-party package in the store has its published
// INF, PNF and store folder; deleted ones, and packages of earlier descriptions, have none.
void SyncStoreFiles(const SimulatedPc& pc);

// The disk as the package commands read it.
PackageDisk MachineDisk();
