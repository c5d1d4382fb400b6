// The driver package query: asks the Device Console which driver nodes a device has and which is installed,
// and turns its text output into package records.
#pragma once

#include "console/DeviceConsole.h"
#include "discovery/DriverInventory.h"

#include <string>
#include <string_view>
#include <vector>

// What one package query learnt of the tool: it listed the device, it answered without listing it (a device not
// present), it did not answer as itself (missing, not startable, or printing what it never prints), or it was
// still running at its time limit.
enum class PackageQueryResult { Listed, NotListed, ToolFailed, TimedOut };

// How a package query went, for the log: the query that failed or ran late, and the queries asked once more
// because their first answer lacked the tool's summary line (each with how that answer ended).
struct PackageQueryNotes {
    std::wstring failedQuery;
    std::vector<std::wstring> repeatedQueries;
};

// Runs "driverfiles" and "drivernodes" for the devices matching *searchPattern* (the device's search pattern,
// "^&" escapes included) and appends the packages found. Every answer of the tool ends with its summary line; one
// without it was cut short, and since a query only reads, it is asked once more before the tool counts as not
// answering. No "drivernodes" follows a "driverfiles" the tool did not answer: without it no package could be
// marked installed.
[[nodiscard]] PackageQueryResult QueryDevicePackages(const DeviceConsole& console, std::wstring_view searchPattern,
                                                     std::vector<DriverPackageRecord>& packages,
                                                     PackageQueryNotes& notes);

// The same where only the packages count: true when the tool answered about this very device, so that the list
// says what the driver store holds for it; false when a command could not run, ran late, was refused or was not
// answered (the list is then unchanged), or the tool did not list the device (the list then holds what another
// device has).
[[nodiscard]] bool QueryDriverPackages(const DeviceConsole& console, std::wstring_view searchPattern,
                                       std::vector<DriverPackageRecord>& packages);

// The hardware ID prefix as the tool prints it: the search pattern in the ANSI code page, carets removed.
[[nodiscard]] std::string MatchTextOf(std::wstring_view searchPattern);

// A third-party package: its INF name holds "oem" as the driver store writes it, in lower case ("oem12.inf");
// the packages of Windows itself never do. A name a user typed is folded to lower case before it is asked.
[[nodiscard]] bool IsThirdPartyInfName(std::string_view infName);
[[nodiscard]] bool IsThirdPartyInfName(std::wstring_view infName);

// Finds the installed INF name in "driverfiles" output: the first third-party INF file name that follows a
// backslash, else the last INF file name found. True when a name was found.
bool ParseDriverFiles(std::string_view output, std::string_view matchText, std::string& currentInfName);

// Appends one record per driver node of the device's block in "drivernodes" output, skipping a node whose
// INF name occurs inside an earlier one's. True when the list is non-empty afterwards.
bool ParseDriverNodes(std::string_view output, std::string_view matchText, std::string_view currentInfName,
                      std::vector<DriverPackageRecord>& packages);
