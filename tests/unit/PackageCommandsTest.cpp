// The stand-in's package commands: dp_add and update by the bytes of an INF and the files beside it, published
// names, and dp_enum.
#include "PackageCommands.h"
#include "PackageStore.h"

#include "SimulatedPcSamples.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace {

// A disk holding the files of `package` in a folder of the backup.
struct Disk {
    std::map<std::string, std::string> files;
    PackageDisk view{"amd64", [this](const std::string& path) {
                         const auto found = files.find(path);
                         return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
                     }};
    std::string Put(const SimulatedPc& pc, const DriverPackage& package, const std::string& folder) {
        for (const StoreFile& file : PackageStoreFiles(pc, package))
            files[folder + "\\" + file.name] = file.bytes;
        return folder + "\\" + PackageStoreFiles(pc, package).front().name;
    }
};

DevconResult Call(SimulatedPc& pc, const Disk& disk, std::vector<std::string> args) {
    return RunDevcon(pc, "devcon", args, &disk.view);
}

} // namespace

TEST(DevconPackageAdd, ADeletedPackageComesBackUnderTheLowestFreeName) {
    SimulatedPc pc = Load();
    Disk disk;
    const std::string inf = disk.Put(pc, pc.packages[1], "C:\\Backup A&B\\oem6");
    EXPECT_EQ(Call(pc, disk, {"dp_delete", "oem6.inf"}).out, "Driver package 'oem6.inf' deleted.\r\n");

    DevconResult added = Call(pc, disk, {"dp_add", inf});
    EXPECT_EQ(added.out, "Driver package 'oem0.inf' added.\r\n");
    EXPECT_TRUE(added.changed);
    EXPECT_NE(pc.Save().find("package oem6.inf\n    published oem0.inf\n    provider"), std::string::npos);
    // Known by its new name from now on; the old one names nothing.
    EXPECT_NE(Call(pc, disk, {"drivernodes", "*"}).out.find("Inf file is C:\\Windows\\INF\\oem0.inf"),
              std::string::npos);
    EXPECT_NE(Call(pc, disk, {"dp_delete", "oem6.inf"}).out.find("not an third-party package"), std::string::npos);

    // The same package again: the name it has, nothing changes.
    added = Call(pc, disk, {"dp_add", inf});
    EXPECT_EQ(added.out, "Driver package 'oem0.inf' added.\r\n");
    EXPECT_FALSE(added.changed);
}

TEST(DevconPackageAdd, RefusesPathsAndPackagesWindowsWouldRefuse) {
    SimulatedPc pc = Load();
    Disk disk;
    const std::string inf = disk.Put(pc, pc.packages[1], "C:\\B");
    for (const char* path : {"oem6_drv.inf", "C:\\B\\missing.inf", "C:\\B\\oem6_drv.sys"}) {
        const DevconResult result = Call(pc, disk, {"dp_add", path});
        EXPECT_EQ(result.out, "The specified INF path is not valid.\r\n") << path;
        EXPECT_EQ(result.exitCode, kExitFail);
    }
    disk.files["C:\\B\\oem6_drv.sys"] += "x"; // the catalogue no longer matches
    EXPECT_EQ(Call(pc, disk, {"dp_add", inf}).out, "Adding the specified driver package to the machine failed.\r\n");
    EXPECT_EQ(Call(pc, disk, {"dp_add"}).exitCode, kExitUsage);
}

TEST(DevconPackageUpdate, InstallsThePackageOnTheDevicesOfTheId) {
    SimulatedPc pc = Load();
    Disk disk;
    const std::string inf = disk.Put(pc, pc.packages[1], "C:\\B");
    const DevconResult updated = Call(pc, disk, {"update", inf, "PCI\\VEN_1234&DEV_0001"});
    EXPECT_EQ(updated.out, "Updating drivers for PCI\\VEN_1234&DEV_0001 from C:\\B\\oem6_drv.inf.\r\n"
                           "Drivers installed successfully.\r\n");
    EXPECT_EQ(pc.devices[0].driverInf, "oem6.inf");
    const DevconResult none = Call(pc, disk, {"update", inf, "PCI\\VEN_9999"});
    EXPECT_EQ(none.exitCode, kExitFail);
    EXPECT_EQ(none.err, "devcon: command update failed\r\n");
}

TEST(DevconPackageEnum, ListsTheThirdPartyPackagesInTheStore) {
    SimulatedPc pc = Load();
    Disk disk;
    // Each package's lines in the tool's order, its date in the user's locale (zh-CN here).
    const auto zhCnDate = [](int year, int month, int day) {
        return std::to_string(year) + "/" + std::to_string(month) + "/" + std::to_string(day);
    };
    EXPECT_EQ(RunDevcon(pc, "devcon", {"dp_enum"}, &disk.view, zhCnDate).out,
              "The following third-party driver packages are installed on this computer:\r\n"
              "oem5.inf\r\n    Provider: Contoso\r\n    Class: Display\r\n"
              "    Signer: Microsoft Windows Hardware Compatibility Publisher\r\n    Date: 2021/6/1\r\n"
              "    Version: 1.2.3.4\r\n"
              "oem6.inf\r\n    Provider: Contoso\r\n    Class: Display\r\n    Signer: unknown\r\n    Date: unknown\r\n"
              "    Version: 1.0.0.0\r\n");
    Call(pc, disk, {"dp_delete", "oem5.inf"}); // in use: stays
    Call(pc, disk, {"dp_delete", "oem6.inf"});
    pc.devices[0].driverInf.clear();
    Call(pc, disk, {"dp_delete", "oem5.inf"});
    EXPECT_EQ(Call(pc, disk, {"dp_enum"}).out, "There are no third-party driver packages on this machine.\r\n");
}
