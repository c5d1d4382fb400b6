// The catalogue beside the program.
#include "discovery/Catalogue.h"

#include "console/WindowsConsole.h"

bool LoadCatalogue(DriverInventory& inventory) {
    inventory.scanner.is64Bit = Is64BitWindows();
    return LoadCatalogueFile(inventory.scanner, std::filesystem::path(GetProgramFolder() + L"\\ParsingString.xml"));
}
