// The log sink that opens its file for each entry.
#include "logging/LogSaveCloseFile.h"

#include "FakeLogPlatform.h"

#include <gtest/gtest.h>

TEST(LogSink, WritesTheRecordIntoItsFolder) {
    auto world = std::make_shared<FakeWorld>();
    world->folders.insert(L"D:\\Logs");
    CLogSaveCloseFile sink(L"D:\\Logs\\", std::make_unique<FakePlatform>(world));
    CLogBase& base = sink;
    EXPECT_TRUE(base.WriteEntry(CPacketLog("a.txt", "first")));
    EXPECT_TRUE(base.WriteText("second", "a.txt"));
    EXPECT_EQ(world->files[L"D:\\Logs\\a.txt"],
              "[2024-03-05 07:08:09 045ms]   first\r\n[2024-03-05 07:08:09 045ms]   second\r\n");
}
