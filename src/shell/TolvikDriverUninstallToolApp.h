// The application object: starts GDI+ and the common controls, runs the frame modally (the whole run happens
// inside it), then shuts GDI+ down.
#pragma once

#include "framework/WinApp.h"

class CTolvikDriverUninstallToolApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
