// Reading the hardware-ID catalogue with the XML reader.
#include "discovery/Catalogue.h"

#include "text/CodePage.h"
#include "xml/XmlDocument.h"

bool LoadCatalogueFile(DriverScanner& scanner, const std::filesystem::path& file) {
    XmlDocument document;
    if (!document.LoadFile(file) || !document.CheckWellFormed())
        return false;

    scanner.terminators.push_back("\r\n");

    // Attribute values become code page 936 bytes, as the registry texts they are compared with.
    document.ResetMain();
    if (document.FindChildElement(L"PARSING_HARDWARE_ID")) {
        document.EnterElement();
        while (document.FindChildElement(L"HARDWARE_ID")) {
            HardwareIdPattern pattern{NarrowGbk(document.GetChildAttribute(L"NameString1")),
                                      NarrowGbk(document.GetChildAttribute(L"NameString2"))};
            if (!pattern.firstMarker.empty())
                scanner.idPatterns.push_back(std::move(pattern));
        }
        document.LeaveElement();
    }
    if (document.FindChildElement(L"PARSING_HARDWARE_ID_END")) {
        document.EnterElement();
        while (document.FindChildElement(L"HARDWARE_ID_END")) {
            std::string terminator = NarrowGbk(document.GetChildAttribute(L"NameString"));
            if (!terminator.empty())
                scanner.terminators.push_back(std::move(terminator));
        }
        document.LeaveElement();
    }
    return !scanner.idPatterns.empty() && !scanner.terminators.empty();
}
