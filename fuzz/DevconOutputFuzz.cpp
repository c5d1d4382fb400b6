// Fuzz target for the Device Console output parsers: the first line of the input is the match text, the rest
// the tool's output. Any bytes parse without a crash or a sanitizer report, and the package list keeps its
// rules: no empty INF name, no name that occurs inside an earlier one, the current flag 0 or 1, and whatever
// the line ends, no value holds a CR or another field's label.
#include "discovery/PackageQuery.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = input.find('\n');
    const std::string_view match = lineEnd == std::string_view::npos ? std::string_view() : input.substr(0, lineEnd);
    const std::string_view output = lineEnd == std::string_view::npos ? input : input.substr(lineEnd + 1);

    std::string current;
    const bool found = ParseDriverFiles(output, match, current);
    if (found != !current.empty())
        std::abort();

    std::vector<DriverPackageRecord> packages;
    const bool any = ParseDriverNodes(output, match, current, packages);
    if (any != !packages.empty())
        std::abort();
    for (size_t i = 0; i < packages.size(); ++i) {
        if (packages[i].infName.empty() || (packages[i].isCurrent != 0 && packages[i].isCurrent != 1))
            std::abort();
        for (const std::string* value :
             {&packages[i].infName, &packages[i].provider, &packages[i].date, &packages[i].version}) {
            if (value->find('\r') != std::string::npos)
                std::abort();
            // A message that joined the line of one cut short never lends its value to that one's field.
            for (const std::string_view label : {"Provider name is ", "Driver date is ", "Driver version is "})
                if (value->find(label) != std::string::npos)
                    std::abort();
        }
        for (size_t earlier = 0; earlier < i; ++earlier) {
            if (packages[earlier].infName.find(packages[i].infName) != std::string::npos)
                std::abort();
        }
    }
    return 0;
}
