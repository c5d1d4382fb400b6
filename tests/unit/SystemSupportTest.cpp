// The supported-version rule: exactly Windows 7, 8, 8.1 and 10.
#include "shell/SystemSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>

namespace {

TEST(SystemSupport, AcceptsWindows7To10AndRefusesOlderSystems) {
    EXPECT_FALSE(IsSupportedVersion({5, 0})) << "Windows 2000";
    EXPECT_FALSE(IsSupportedVersion({5, 1})) << "Windows XP";
    EXPECT_FALSE(IsSupportedVersion({5, 2})) << "Windows Server 2003, XP 64-bit";
    EXPECT_FALSE(IsSupportedVersion({6, 0})) << "Windows Vista";
    EXPECT_TRUE(IsSupportedVersion({6, 1})) << "Windows 7";
    EXPECT_TRUE(IsSupportedVersion({6, 2})) << "Windows 8";
    EXPECT_TRUE(IsSupportedVersion({6, 3})) << "Windows 8.1";
    EXPECT_TRUE(IsSupportedVersion({10, 0})) << "Windows 10";
}

// Around every boundary: 6.0 / 6.4, 7.x, 9.x, 10.1, 11.x, and numbers far out of range.
TEST(SystemSupport, EveryOtherPairIsRefused) {
    const std::set<std::pair<std::uint32_t, std::uint32_t>> supported = {{6, 1}, {6, 2}, {6, 3}, {10, 0}};
    const std::uint32_t values[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 0x10006, 0x7FFFFFFF, 0xFFFFFFFF};
    for (const std::uint32_t major : values) {
        for (const std::uint32_t minor : values) {
            EXPECT_EQ(IsSupportedVersion({major, minor}), supported.count({major, minor}) == 1)
                << major << "." << minor;
        }
    }
}

} // namespace
