// The backup commands' results as JSON.
#include "cli/BackupJson.h"

#include <gtest/gtest.h>

TEST(BackupJson, CleanupStepsNameTheirResults) {
    DeviceRecord device;
    device.deviceKey = "8086_3E9B";
    CleanupStep deleted;
    deleted.package = {"oem3.inf", "Intel", "12/5/2018", "25.20.100.6472", 0};
    deleted.result = CleanupStep::Result::Deleted;
    deleted.freed = 100;
    CleanupStep refused = deleted;
    refused.result = CleanupStep::Result::Refused;
    refused.freed = 0;
    const nlohmann::json json = CleanupToJson(device, {deleted, refused});
    EXPECT_EQ(json["steps"][0]["result"], "deleted");
    EXPECT_EQ(json["steps"][1]["result"], "refused");
    EXPECT_EQ(json["freed"], 100);
}
