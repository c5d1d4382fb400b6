// The application object and the program's entry point.
#include "shell/TolvikDriverUninstallToolApp.h"

#include "base/UniqueHandle.h"
#include "shell/TolvikDriverUninstallToolDlg.h"

namespace {

// Named for the whole session: two tools removing drivers side by side would each act on a store the other
// changes behind its back.
constexpr wchar_t kRunningMutex[] = L"Local\\TolvikDriverUninstallTool.Running";
constexpr wchar_t kFrameTitle[] = L"videzure";

BOOL CALLBACK FindRunningFrame(HWND hwnd, LPARAM found) {
    wchar_t className[16] = {};
    wchar_t title[16] = {};
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    if (process != ::GetCurrentProcessId() && ::GetClassNameW(hwnd, className, 16) > 0 &&
        ::lstrcmpW(className, L"#32770") == 0 && ::GetWindowTextW(hwnd, title, 16) > 0 &&
        ::lstrcmpW(title, kFrameTitle) == 0 && (::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Brings the running tool's window (or the window it waits on, a prompt) to the front.
void BringRunningToolForward() {
    HWND frame = nullptr;
    ::EnumWindows(FindRunningFrame, reinterpret_cast<LPARAM>(&frame));
    if (frame == nullptr) {
        return;
    }
    if (::IsIconic(frame)) {
        ::ShowWindow(frame, SW_RESTORE);
    }
    ::SetForegroundWindow(::GetLastActivePopup(frame));
}

} // namespace

BOOL CTolvikDriverUninstallToolApp::InitInstance() {
    // One tool at a time: a second start brings the running one forward and ends without touching anything.
    const UniqueHandle running(::CreateMutexW(nullptr, FALSE, kRunningMutex));
    if (running && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        BringRunningToolForward();
        return FALSE;
    }
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
