// The manifest a backup carries: what it writes, reads back, and refuses.
#include "backup/BackupManifest.h"

#include <gtest/gtest.h>

TEST(BackupManifest, ReadsWhatItWritesAndRefusesDamage) {
    BackupManifest m;
    m.time = "2026-12-08T05:15:02+08:00";
    m.deviceKey = "8086_3E9B";
    m.description = "智音 AI\n降噪";
    m.inf = "oem12.inf";
    m.storeFolder = "x.inf_amd64_1";
    m.storeInf = "x.inf";
    m.files = {{std::string(64, 'a'), 12, "x.inf_amd64_1\\x.inf"}};
    const auto read = ParseManifest(FormatManifest(m));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->description, "智音 AI 降噪") << "one line per field";
    EXPECT_EQ(read->files[0].path, "x.inf_amd64_1\\x.inf");
    EXPECT_EQ(read->files[0].size, 12u);

    const std::string good = FormatManifest(m);
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"tolvik-driver-backup 1", "something else"},
             {std::string(64, 'a'), std::string(63, 'a')},
             {" 12 x.inf", " 12 ..\\x.inf"},
             {"store-folder x.inf_amd64_1", "store-folder ..\\x"},
         }) {
        std::string damaged = good;
        damaged.replace(damaged.find(from), from.size(), to);
        EXPECT_FALSE(ParseManifest(damaged)) << to;
    }
}
