// The application object: runs InitInstance, owns the GDI+ session and knows the main window, over which
// modal dialogs without an owner are centred.
//
// A program defines one:
//   class CMyApp : public CWinApp { BOOL InitInstance() override { StartGdiplus(); ...; return FALSE; } };
//   int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { CMyApp app; return app.Run(); }
#pragma once

#include "framework/GdiplusSession.h"
#include "framework/Window.h"

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    [[nodiscard]] static CWinApp* Current();

    // InitInstance, then (when it returned TRUE) the message loop until WM_QUIT; ExitInstance's code.
    int Run();

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    void SetMainWindow(CWindow* window) { m_mainWindow = window; }
    [[nodiscard]] CWindow* MainWindow() const { return m_mainWindow; }
    [[nodiscard]] HWND MainWindowHandle() const { return m_mainWindow != nullptr ? m_mainWindow->Hwnd() : nullptr; }

    bool StartGdiplus() { return m_gdiplus.Start(); }
    void ShutdownGdiplus() { m_gdiplus.Shutdown(); }
    // The common control classes of version 6 (tree, list, the button styles the skin relies on).
    static bool InitCommonControls();

private:
    CGdiplusSession m_gdiplus;
    CWindow* m_mainWindow = nullptr;
};
