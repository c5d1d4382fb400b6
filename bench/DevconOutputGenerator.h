// Generated Device Console output of a given size in the shapes that stress the parsers: the device asked for
// last, the device absent (the whole output is parsed), every INF name distinct, and nodes without headings.
#pragma once

#include <cstdio>
#include <string>

enum class DevconFormat { DriverFiles, DriverNodes };
enum class OutputShape { DeviceLast, DeviceAbsent, DistinctNames, NoHeadings };

struct GeneratedOutput {
    std::string text;
    std::string matchText; // the hardware ID prefix the parsers are given
};

inline const char* ShapeName(OutputShape shape) {
    switch (shape) {
    case OutputShape::DeviceLast:
        return "device-last";
    case OutputShape::DeviceAbsent:
        return "device-absent";
    case OutputShape::DistinctNames:
        return "distinct-names";
    case OutputShape::NoHeadings:
        return "no-headings";
    }
    return "";
}

inline std::string DeviceIdPrefix(size_t device) {
    char id[32];
    std::snprintf(id, sizeof id, "PCI\\VEN_%04zX&DEV_%04zX", device >> 16 & 0xFFFF, device & 0xFFFF);
    return id;
}

// "driverfiles" or "drivernodes" output of at least `bytes` bytes. Names repeat from a small pool unless the
// shape wants them distinct; only the last device is installed from an "oem" package, so the driverfiles
// parser reads everything before it.
inline GeneratedOutput GenerateDevconOutput(DevconFormat format, OutputShape shape, size_t bytes) {
    constexpr size_t kNodesPerDevice = 4;
    const bool distinct = shape == OutputShape::DistinctNames;
    auto name = [distinct](size_t device, size_t node, bool last) {
        const size_t n = device * kNodesPerDevice + node;
        if (last)
            return "oem" + std::to_string(n) + ".inf";
        return (distinct ? "drv" + std::to_string(n) : "net" + std::to_string(n % 64)) + ".inf";
    };

    GeneratedOutput output;
    std::string& text = output.text;
    text.reserve(bytes + 4096);
    std::string lastPrefix;
    size_t device = 0;
    for (; text.size() < bytes; ++device) {
        const bool last = text.size() + 2048 >= bytes; // close enough to the end: the final device
        lastPrefix = DeviceIdPrefix(device);
        text += lastPrefix + "&SUBSYS_22128086&REV_00\\3&11583659&0&10\r\n    Name: Device " + std::to_string(device) +
                "\r\n";
        if (format == DevconFormat::DriverFiles && shape != OutputShape::NoHeadings) {
            text += "    Driver installed from C:\\Windows\\INF\\" + name(device, 0, last) +
                    " [Section]. 2 file(s) used by driver:\r\n"
                    "        C:\\Windows\\System32\\DriverStore\\FileRepository\\netrtl.inf_amd64_0123456789abcdef"
                    "\\rt640x64.sys\r\n        C:\\Windows\\System32\\drivers\\rt640x64.sys\r\n";
            continue;
        }
        for (size_t node = 0; node < kNodesPerDevice; ++node) {
            if (shape != OutputShape::NoHeadings)
                text += "Driver node #" + std::to_string(node) + ":\r\n";
            text += "    Inf file is C:\\Windows\\INF\\" + name(device, node, last && node == 0) +
                    "\r\n    Inf section is Section\r\n    Driver description is Device\r\n"
                    "    Manufacturer name is Maker\r\n    Provider name is Maker\r\n    Driver date is 3/24/2020\r\n"
                    "    Driver version is 26.20.100.7985\r\n    Driver node rank is 16719872\r\n"
                    "    Driver node flags are 00003044\r\n        Inf is digitally signed\r\n";
        }
    }
    text += std::to_string(device) + " matching device(s) found.\r\n";
    output.matchText = shape == OutputShape::DeviceLast ? lastPrefix : "PCI\\VEN_FFFF&DEV_FFFF";
    return output;
}
