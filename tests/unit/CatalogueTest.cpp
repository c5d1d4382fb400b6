// The hardware-ID catalogue: what the loader takes from the file, and what the shipped catalogue recognises.
#include "discovery/Catalogue.h"
#include "discovery/CategoryScan.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

class CatalogueFile : public ::testing::Test {
protected:
    void TearDown() override { fs::remove(path_); }

    bool Load(const std::string& text) {
        std::ofstream(path_, std::ios::binary) << text;
        return LoadCatalogueFile(scanner_, path_);
    }

    fs::path path_ =
        fs::temp_directory_path() / ("catalogue " + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xml");
    DriverScanner scanner_;
};

} // namespace

TEST_F(CatalogueFile, ReadsPatternsAndTerminatorsInFileOrder) {
    ASSERT_TRUE(Load("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><root>"
                     "<PARSING_HARDWARE_ID><HARDWARE_ID NameString2='DEV_' NameString1='VEN_'/><other/>"
                     "<HARDWARE_ID NameString2=\"PID_\"/><HARDWARE_ID NameString1=\"ACPI\\\"/></PARSING_HARDWARE_ID>"
                     "<PARSING_HARDWARE_ID_END><HARDWARE_ID_END NameString=\"&amp;\"/><HARDWARE_ID_END NameString=''/>"
                     "<HARDWARE_ID_END NameString=\"\xe6\x99\xba\"/></PARSING_HARDWARE_ID_END></root>"));
    ASSERT_EQ(scanner_.idPatterns.size(), 2u);
    EXPECT_EQ(scanner_.idPatterns[0].firstMarker, "VEN_");
    EXPECT_EQ(scanner_.idPatterns[0].secondMarker, "DEV_");
    EXPECT_EQ(scanner_.idPatterns[1].firstMarker, "ACPI\\");
    EXPECT_EQ(scanner_.idPatterns[1].secondMarker, "");
    EXPECT_EQ(scanner_.terminators, (std::vector<std::string>{"\r\n", "&", "\xd6\xc7"})); // 智 in code page 936
}

TEST_F(CatalogueFile, TerminatorsBeforeThePatternsAreNotRead) {
    ASSERT_TRUE(Load("<r><PARSING_HARDWARE_ID_END><HARDWARE_ID_END NameString='&amp;'/></PARSING_HARDWARE_ID_END>"
                     "<PARSING_HARDWARE_ID><HARDWARE_ID NameString1='VID_'/></PARSING_HARDWARE_ID></r>"));
    EXPECT_EQ(scanner_.terminators, std::vector<std::string>{"\r\n"});
    EXPECT_EQ(scanner_.idPatterns.size(), 1u);
}

TEST_F(CatalogueFile, UnusableFilesAreRefused) {
    for (const char* text : {
             "",                                                                                         // empty
             "<r><PARSING_HARDWARE_ID><HARDWARE_ID NameString1='VEN_'/></PARSING_HARDWARE_ID></r><r2/>", // two roots
             "<r><PARSING_HARDWARE_ID><HARDWARE_ID NameString1='VEN_'/></PARSING_HARDWARE_ID>",          // cut short
             "<r><PARSING_HARDWARE_ID><HARDWARE_ID NameString2='DEV_'/></PARSING_HARDWARE_ID></r>", // no first marker
             "<r><HARDWARE_ID NameString1='VEN_'/></r>",                                            // no section
         }) {
        scanner_ = {};
        EXPECT_FALSE(Load(text)) << text;
    }
    EXPECT_FALSE(LoadCatalogueFile(scanner_, fs::temp_directory_path() / "no such catalogue.xml"));

    // Bytes that are not UTF-8 in an attribute that is not read do not spoil the rest.
    scanner_ = {};
    EXPECT_TRUE(
        Load("<r a='\xff\xfe'><PARSING_HARDWARE_ID><HARDWARE_ID NameString1='VEN_'/></PARSING_HARDWARE_ID></r>"));
}

TEST(ShippedCatalogue, RecognisesTheHardwareIdsOfTheNineKindsOfDevice) {
    DriverScanner scanner;
    ASSERT_TRUE(LoadCatalogueFile(scanner, TOLVIK_SHIPPED_CATALOGUE));
    const std::vector<std::pair<std::string, std::string>> ids{
        {"PCI\\VEN_8086&DEV_3E9B", "8086_3E9B"},
        {"PCI\\VEN_10DE&DEV_1C8D&SUBSYS_39E01E9A", "10DE_1C8D"},
        {"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0257&SUBSYS_1E9A2258", "10EC_0257"},
        {"INTELAUDIO\\FUNC_01&VEN_8086&DEV_280B", "8086_280B"},
        {"USB\\VID_5986&PID_2113&MI_00", "5986_2113"},
        {"USB\\VID_8087&PID_0AAA", "8087_0AAA"},
        {"BTH\\MS_BTHBRB", "BTHBRB"},
        {"ACPI\\ELAN0501", "ELAN_0501"},
        {"ACPI\\SYN2393", "SYN2393"},
        {"HID\\VID_06CB&PID_00BD", "06CB_00BD"},
        {"ACPI\\VEN_ELAN&DEV_0504", "ELAN_0504"},
    };
    for (const auto& [id, key] : ids) {
        const auto match = MatchHardwareId(scanner, id);
        ASSERT_TRUE(match) << id;
        EXPECT_EQ(match->deviceKey, key) << id;
        EXPECT_GE(match->searchPattern.size(), 7u) << id;
    }
    EXPECT_FALSE(MatchHardwareId(scanner, "HID_DEVICE_SYSTEM_MOUSE"));
    EXPECT_FALSE(MatchHardwareId(scanner, "ROOT\\BASICDISPLAY"));
}
