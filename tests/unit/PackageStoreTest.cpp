// The stand-in's driver store: the files of a package, their folder and INF.
#include "PackageStore.h"

#include "SimulatedPcSamples.h"

#include <gtest/gtest.h>

TEST(DevconPackageFiles, StoreFolderAndInfFollowTheDescription) {
    const SimulatedPc pc = Load();
    EXPECT_EQ(StoreFolderName(pc.packages[0], "x86"), "contoso.inf_x86_0123456789abcdef");
    EXPECT_EQ(OriginalInfName(pc.packages[1]), "oem6_drv.inf");
    const auto files = PackageStoreFiles(pc, pc.packages[0]);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_NE(files[0].bytes.find("DriverVer   = 6/1/2021,1.2.3.4"), std::string::npos);
    EXPECT_NE(files[0].bytes.find("%Model1% = Contoso_Install, PCI\\VEN_1234&DEV_0001&SUBSYS_1"), std::string::npos);
    EXPECT_GT(files[2].bytes.size(), 20000u);
    EXPECT_NE(PackageStoreFiles(pc, pc.packages[1])[2].bytes, files[2].bytes);
}
