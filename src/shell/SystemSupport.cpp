// The supported-version rule.
#include "shell/SystemSupport.h"

bool IsSupportedVersion(SystemVersion version) {
    if (version.major == 6)
        return version.minor >= 1 && version.minor <= 3;
    return version.major == 10 && version.minor == 0;
}
