// The application object and the program's entry point.
#include "shell/TolvikDriverUninstallToolApp.h"

#include "shell/TolvikDriverUninstallToolDlg.h"

BOOL CTolvikDriverUninstallToolApp::InitInstance() {
    StartGdiplus();
    InitCommonControls();
    m_richEdit.reset(::LoadLibraryW(L"riched20.dll"));
    {
        CTolvikDriverUninstallToolDlg frame;
        SetMainWindow(&frame);
        frame.DoModal();
        SetMainWindow(nullptr);
    }
    ShutdownGdiplus();
    // No message loop of the application's own: the program ends with its frame.
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CTolvikDriverUninstallToolApp app;
    return app.Run();
}
