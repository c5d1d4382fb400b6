// The application object and the program's entry point.
#include "shell/TolvikDriverUninstallToolApp.h"

#include "shell/TolvikDriverUninstallToolDlg.h"

BOOL CTolvikDriverUninstallToolApp::InitInstance() {
    StartGdiplus();
    // The large pictures of the first windows are decoded on the other core while those windows are made.
    PrefetchPngs({IDP_MAIN_FRAME, IDP_MAIN_BACKGROUND, IDP_START_BACKGROUND});
    InitCommonControls();
    {
        CTolvikDriverUninstallToolDlg frame;
        SetMainWindow(&frame);
        frame.DoModal();
        SetMainWindow(nullptr);
    }
    DiscardPrefetchedPngs();
    ShutdownGdiplus();
    // No message loop of the application's own: the program ends with its frame.
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CTolvikDriverUninstallToolApp app;
    return app.Run();
}
