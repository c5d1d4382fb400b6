// Reports what the operating-system check sees in this process, as its exit code:
// major * 10000 + minor * 10 + (1 when supported, else 0).
#include "shell/SystemSupport.h"

int main() {
    const SystemVersion version = ReadSystemVersion();
    return static_cast<int>(version.major * 10000 + version.minor * 10) + (IsSupportedSystem() ? 1 : 0);
}
