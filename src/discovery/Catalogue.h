// The hardware-ID catalogue "ParsingString.xml": the markers that introduce identifiers inside hardware IDs
// and the strings that end them.
#pragma once

#include "discovery/DriverInventory.h"

#include <filesystem>

// Appends the catalogue's patterns and terminators ("\r\n" first) to the scanner. True when the file is a
// well-formed document with at least one usable pattern.
[[nodiscard]] bool LoadCatalogueFile(DriverScanner& scanner, const std::filesystem::path& file);

#ifdef _WIN32
// Sets the scanner's 64-bit flag and loads "ParsingString.xml" from the program folder.
[[nodiscard]] bool LoadCatalogue(DriverInventory& inventory);
#endif
