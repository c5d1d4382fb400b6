// The registry class keys a simulated PC's devices would have, as the body of a .reg file.
#pragma once

#include "SimulatedPc.h"

#include <string>

// UTF-8 text without the "Windows Registry Editor" header line: one key per device class, then one key per
// device that has a class subkey (removed devices have none), with the values of its installed driver and
// its registry extras. Lines end in LF.
std::string ClassKeysRegFile(const SimulatedPc& pc);

// The class name of a device class GUID the simulated PCs use, or an empty text.
std::string_view ClassNameOf(std::string_view classGuid);
