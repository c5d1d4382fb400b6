// Generated hardware-ID catalogues of the shipped file's shape, of any size: a declaration, a comment, the
// root, a section of HARDWARE_ID patterns each after a comment line, and a section of HARDWARE_ID_END
// terminators (about one in eight entries), with "&amp;" in some values.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

inline std::string GenerateCatalogue(size_t targetBytes, uint32_t seed = 1) {
    uint32_t state = seed * 2654435761u + 1;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    auto hex4 = [](uint32_t value) {
        char text[8];
        std::snprintf(text, sizeof(text), "%04X", value & 0xFFFF);
        return std::string(text);
    };
    static const char* const kBuses[] = {"PCI", "USB", "HID", "ACPI", "HDAUDIO", "BTH", "INTELAUDIO"};
    static const char* const kKinds[] = {"graphics card",   "sound device", "network adapter", "camera",
                                         "Bluetooth radio", "card reader",  "touchpad",        "fingerprint reader"};

    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       "<!--\n  Hardware-ID catalogue, generated for measuring the reader. Each HARDWARE_ID names\n"
                       "  the text before a device's identifiers; each HARDWARE_ID_END a string that ends one.\n-->\n"
                       "<HARDWARE_ID_CATALOGUE>\n  <PARSING_HARDWARE_ID>\n";
    text.reserve(targetBytes + 256);
    std::string ends = "  </PARSING_HARDWARE_ID>\n  <PARSING_HARDWARE_ID_END>\n";
    const std::string close = "  </PARSING_HARDWARE_ID_END>\n</HARDWARE_ID_CATALOGUE>\n";
    while (text.size() + ends.size() + close.size() < targetBytes) {
        const uint32_t pick = next();
        const std::string bus = kBuses[pick % 7];
        const std::string vendor = hex4(next());
        const std::string device = hex4(next());
        if (pick % 8 == 7) {
            ends += "    <HARDWARE_ID_END NameString=\"" +
                    std::string(pick % 3 == 0   ? "&amp;"
                                : pick % 3 == 1 ? "\\"
                                                : "_" + device) +
                    "\"/>\n";
            continue;
        }
        text += "    <!-- " + bus + " " + kKinds[(pick >> 3) % 8] + " of vendor " + vendor + ": " + bus + "\\VEN_" +
                vendor + "&DEV_" + device + " -->\n";
        if (pick % 4 == 0)
            text += "    <HARDWARE_ID NameString1=\"" + bus + "\\" + device + "\"/>\n";
        else
            text += "    <HARDWARE_ID NameString1=\"" + bus + "\\VEN_" + vendor + "\" NameString2=\"&amp;DEV_" +
                    device + "\"/>\n";
    }
    return text + ends + close;
}
