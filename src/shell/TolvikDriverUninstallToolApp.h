// The application object: starts GDI+ and the common controls, runs the frame modally (the whole run happens
// inside it), then shuts GDI+ down.
#pragma once

#include "framework/WinApp.h"

#include <memory>
#include <type_traits>

class CTolvikDriverUninstallToolApp : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    struct LibraryRelease {
        void operator()(HMODULE module) const { ::FreeLibrary(module); }
    };
    // The rich-edit library stays loaded while any window may make a rich-edit control.
    std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryRelease> m_richEdit;
};
