# The fuzz targets. To add one:
#   1. write <Name>Fuzz.cpp in this folder with `extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t)`;
#   2. put a few small, valid inputs into corpus/<name>/ (one file each; the seed corpus);
#   3. add a line here:
#        tolvik_fuzz_target(<name> SOURCES <Name>Fuzz.cpp ENGINE_SOURCES <folder>/<File>.cpp ...
#                           [DICT <file>.dict] [RUNS <count>] [ARGS <libFuzzer option>...])
#      ENGINE_SOURCES are paths under src/ (portable sources only: the fuzzers run natively); RUNS defaults to
#      1,000,000 inputs.
# Then `ctest --test-dir <build> -L fuzz -R <name>` builds and runs it. Crashes, with the input that caused
# them, land in <build>/fuzz-work/<name>/artifacts/; the corpus the fuzzer grows is kept in
# <build>/fuzz-work/<name>/corpus/ for the next run.

tolvik_fuzz_target(xml_document
    SOURCES XmlDocumentFuzz.cpp
    ENGINE_SOURCES xml/XmlDocument.cpp xml/ElementTable.cpp xml/FileRead_posix.cpp
    DICT xml.dict)

tolvik_fuzz_target(devcon_output
    SOURCES DevconOutputFuzz.cpp
    ENGINE_SOURCES discovery/PackageQuery.cpp discovery/DriverInventory.cpp console/DeviceConsole.cpp
                   text/CodePage_posix.cpp)

tolvik_fuzz_target(hardware_id
    SOURCES HardwareIdFuzz.cpp
    ENGINE_SOURCES discovery/CategoryScan.cpp discovery/PackageQuery.cpp discovery/DriverInventory.cpp
                   console/DeviceConsole.cpp text/CodePage_posix.cpp)

tolvik_fuzz_target(device_console
    SOURCES DeviceConsoleFuzz.cpp
    ENGINE_SOURCES console/DeviceConsole.cpp text/CodePage_posix.cpp)

tolvik_fuzz_target(registry_walk
    SOURCES RegistryWalkFuzz.cpp
    ENGINE_SOURCES discovery/CategoryScan.cpp discovery/PackageQuery.cpp discovery/DriverInventory.cpp
                   console/DeviceConsole.cpp text/CodePage_posix.cpp)

tolvik_fuzz_target(self_removal_rules
    SOURCES SelfRemovalRulesFuzz.cpp
    ENGINE_SOURCES shell/SelfRemoval.cpp)

tolvik_fuzz_target(catalogue
    SOURCES CatalogueFuzz.cpp
    ENGINE_SOURCES discovery/Catalogue.cpp discovery/CategoryScan.cpp discovery/PackageQuery.cpp
                   discovery/DriverInventory.cpp console/DeviceConsole.cpp xml/XmlDocument.cpp xml/ElementTable.cpp
                   xml/FileRead_posix.cpp text/CodePage_posix.cpp
    DICT xml.dict)

tolvik_fuzz_target(cli_front_end
    SOURCES CliFrontEndFuzz.cpp
    ENGINE_SOURCES cli/CliArguments.cpp cli/BackupArguments.cpp cli/CliReply.cpp cli/InventoryJson.cpp
                   discovery/DriverInventory.cpp
                   console/DeviceConsole.cpp
                   text/CodePage_posix.cpp
    ARGS -max_len=256)
