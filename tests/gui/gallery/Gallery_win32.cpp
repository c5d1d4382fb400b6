// Test gallery: shows the skinned windows and controls one at a time so that the GUI tests can drive them with
// real input, and reports what happened on standard output (UTF-8 lines) and in its exit code.
//
//   gallery prompt <kind> <text> [--owner] [--missing-frame] [--scale s]     exit code = the prompt's result
//   gallery progress <text> <trigger file> [--missing-frame] [--scale s]      0x5F5 once the file exists
//   gallery controls [--scale s]                                             every control; runs until closed
//   gallery guard                                        a window and a control whose click handlers throw
//   gallery agreement|feedback ...                                           see PopupModes.h
#include "ControlsDlg.h"
#include "GalleryIds.h"
#include "GalleryOutput.h"
#include "PopupModes.h"

#include "console/WorkerReport.h"
#include "framework/WinApp.h"
#include "ui/ExecutePromptDlg.h"
#include "ui/PromptDlg.h"
#include "ui/Prompts.h"
#include "ui/layout/ScaleRule.h"

#include <shellapi.h>

#include <cwchar>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

void Say(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

namespace {

constexpr int kMissingPicture = 9999;

class CGalleryPrompt : public CPromptDlg {
public:
    CGalleryPrompt(HWND owner, bool missingFrame) : CPromptDlg(owner), m_missingFrame(missingFrame) {}

protected:
    int FramePictureId() const override { return m_missingFrame ? kMissingPicture : CPromptDlg::FramePictureId(); }

private:
    bool m_missingFrame;
};

class CGalleryProgress : public CExecutePromptDlg {
public:
    CGalleryProgress(HWND owner, bool missingFrame) : CExecutePromptDlg(owner), m_missingFrame(missingFrame) {}

protected:
    int FramePictureId() const override {
        return m_missingFrame ? kMissingPicture : CExecutePromptDlg::FramePictureId();
    }

private:
    bool m_missingFrame;
};

// Stands in for a page: owns the progress window and forwards the worker's 0x5F5 to it.
class COwnerDlg : public CDialog {
public:
    COwnerDlg() : CDialog(IDD_GALLERY_OWNER, nullptr) {}
    std::unique_ptr<CExecutePromptDlg> progress;

protected:
    BOOL OnInitDialog() override {
        ::SetWindowPos(m_hwnd, nullptr, 60, 60, 900, 700, SWP_NOZORDER);
        return TRUE;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == kMsgWorkFinished) {
            CloseProgressWindow(progress);
            Say(L"forwarded");
            result = 1;
            return true;
        }
        return CDialog::OnMessage(message, wParam, lParam, result);
    }
};

// A label whose click handler fails as an allocation that finds no memory does.
class CThrowingLabel : public CStatic {
protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_LBUTTONDOWN) {
            throw std::bad_alloc();
        }
        return CStatic::OnMessage(message, wParam, lParam, result);
    }
};

// A window whose click handler fails, holding the label above: the framework's callbacks catch and log both
// failures, and the window goes on working (Escape still closes it).
class CThrowingDlg : public CDialog {
public:
    CThrowingDlg() : CDialog(IDD_GALLERY_OWNER, nullptr) {}

protected:
    BOOL OnInitDialog() override {
        ::SetWindowPos(m_hwnd, nullptr, 60, 60, 500, 300, SWP_NOZORDER);
        HWND label = ::CreateWindowExW(0, L"STATIC", L"抛出异常", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 20, 20, 200, 40,
                                       m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_G_THROWING)),
                                       ::GetModuleHandleW(nullptr), nullptr);
        Say(m_label.Attach(label) ? L"ready" : L"no label");
        return TRUE;
    }
    bool OnLButtonDown(UINT, Point) override { throw std::runtime_error("window handler failed"); }

private:
    CThrowingLabel m_label;
};

struct Worker {
    std::wstring trigger;
    HWND target;
};

// The stand-in worker: waits for the test's trigger file, then reports the end of its work.
DWORD WINAPI WaitForTrigger(void* data) {
    std::unique_ptr<Worker> worker(static_cast<Worker*>(data));
    while (::GetFileAttributesW(worker->trigger.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ::Sleep(50);
    }
    ::SendMessageW(worker->target, kMsgWorkFinished, 0, 0);
    return 0;
}

class CGalleryApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override { return m_exitCode; }

private:
    int RunPromptMode(const std::vector<std::wstring>& args);
    int RunProgressMode(const std::vector<std::wstring>& args);
    int RunControlsMode();
    int RunGuardMode();
    bool Has(const std::wstring& option) const;

    std::vector<std::wstring> m_args;
    float m_scale = 1.0f;
    int m_exitCode = 0;
};

bool CGalleryApp::Has(const std::wstring& option) const {
    for (const std::wstring& arg : m_args) {
        if (arg == option) {
            return true;
        }
    }
    return false;
}

BOOL CGalleryApp::InitInstance() {
    StartGdiplus();
    InitCommonControls();
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i) {
        m_args.emplace_back(argv[i]);
    }
    ::LocalFree(argv);

    HDC screen = ::GetDC(nullptr);
    m_scale = ScaleFromDpi(::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);
    for (size_t i = 0; i + 1 < m_args.size(); ++i) {
        if (m_args[i] == L"--scale") {
            m_scale = std::wcstof(m_args[i + 1].c_str(), nullptr);
        }
    }
    Say(L"scale " + std::to_wstring(m_scale));

    if (!m_args.empty() && m_args[0] == L"prompt" && m_args.size() >= 3) {
        m_exitCode = RunPromptMode(m_args);
    } else if (!m_args.empty() && m_args[0] == L"progress" && m_args.size() >= 3) {
        m_exitCode = RunProgressMode(m_args);
    } else if (!m_args.empty() && m_args[0] == L"controls") {
        m_exitCode = RunControlsMode();
    } else if (!m_args.empty() && m_args[0] == L"guard") {
        m_exitCode = RunGuardMode();
    } else if (!m_args.empty() && m_args[0] == L"agreement") {
        m_exitCode = RunAgreementMode(m_args, m_scale);
    } else if (!m_args.empty() && m_args[0] == L"feedback") {
        m_exitCode = RunFeedbackMode(m_args);
    } else {
        Say(L"usage: gallery prompt|progress|controls ...");
        m_exitCode = 100;
    }
    ShutdownGdiplus();
    return FALSE;
}

int CGalleryApp::RunPromptMode(const std::vector<std::wstring>& args) {
    std::unique_ptr<COwnerDlg> owner;
    if (Has(L"--owner")) {
        owner = std::make_unique<COwnerDlg>();
        owner->Create(IDD_GALLERY_OWNER, nullptr);
        owner->ShowWindow(SW_SHOW);
    }
    INT_PTR result = 0;
    {
        CGalleryPrompt prompt(owner ? owner->Hwnd() : nullptr, Has(L"--missing-frame"));
        prompt.SetScale(m_scale);
        prompt.SetText(args[2]);
        prompt.SetKind(std::stoi(args[1]));
        result = prompt.DoModal();
    }
    Say(L"result " + std::to_wstring(result));
    return static_cast<int>(result);
}

int CGalleryApp::RunProgressMode(const std::vector<std::wstring>& args) {
    COwnerDlg owner;
    owner.Create(IDD_GALLERY_OWNER, nullptr);
    owner.ShowWindow(SW_SHOW);
    HANDLE thread = ::CreateThread(nullptr, 0, WaitForTrigger, new Worker{args[2], owner.Hwnd()}, 0, nullptr);
    if (thread == nullptr) {
        return 101;
    }
    ::CloseHandle(thread);
    owner.progress = std::make_unique<CGalleryProgress>(owner.Hwnd(), Has(L"--missing-frame"));
    owner.progress->SetText(args[1]);
    owner.progress->SetScale(m_scale);
    const INT_PTR result = owner.progress->DoModal();
    Say(L"closed " + std::to_wstring(result));
    return 0;
}

int CGalleryApp::RunControlsMode() {
    CControlsDlg page(m_scale);
    const INT_PTR result = page.DoModal();
    Say(L"closed " + std::to_wstring(result));
    return 0;
}

int CGalleryApp::RunGuardMode() {
    CThrowingDlg window;
    const INT_PTR result = window.DoModal();
    Say(L"closed " + std::to_wstring(result));
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CGalleryApp app;
    return app.Run();
}
