// Page host for the GUI tests: a window that does for the two pages what the main window does - it owns the
// inventory, loads the catalogue, creates the start page over the page rectangle, makes the selection page and
// switches to it on the start page's request and enables "开始运行" from a check box - and reports on standard
// output (UTF-8).
//
//   pagehost [--scale s]        runs until the window is closed; exit code 0, 3 when the catalogue is unusable
#include "PageHostIds.h"

#include "console/WorkerReport.h"
#include "discovery/Catalogue.h"
#include "discovery/DriverInventory.h"
#include "framework/WinApp.h"
#include "ui/DriverUninstallFunctionDlg.h"
#include "ui/DriverUninstallStartDlg.h"
#include "ui/layout/PageLayout.h"
#include "ui/layout/ScaleRule.h"

#include <shellapi.h>

#include <cwchar>
#include <memory>
#include <string>

namespace {

void Say(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

class CHostDlg : public CDialog {
public:
    CHostDlg(DriverInventory& inventory, float scale)
        : CDialog(IDD_PAGE_HOST, nullptr), m_inventory(inventory), m_scale(scale) {}

protected:
    BOOL OnInitDialog() override {
        // The main window's client area: 800 x 600 design pixels.
        RECT frame = {0, 0, Trunc(800 * m_scale), Trunc(600 * m_scale)};
        ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(m_hwnd, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(::GetWindowLongW(m_hwnd, GWL_EXSTYLE)));
        ::SetWindowPos(m_hwnd, nullptr, 40, 40, frame.right - frame.left, frame.bottom - frame.top, SWP_NOZORDER);
        ::SendDlgItemMessageW(m_hwnd, IDC_H_AGREE, BM_SETCHECK, BST_CHECKED, 0);

        const Rect page = PageRect(m_scale);
        m_start = std::make_unique<CDriverUninstallStartDlg>();
        m_start->SetScale(m_scale);
        m_start->SetInventory(&m_inventory);
        m_start->Create(CDriverUninstallStartDlg::kTemplateId, m_hwnd);
        m_start->MoveWindow(page);
        m_start->ShowWindow(SW_SHOW);
        Say(L"pages " + std::to_wstring(page.left) + L" " + std::to_wstring(page.top) + L" " +
            std::to_wstring(page.Width()) + L" " + std::to_wstring(page.Height()));
        return TRUE;
    }

    bool OnCommand(int id, int code, HWND control) override {
        if (id == IDC_H_AGREE && m_start && m_start->IsWindow() && m_start->IsVisible()) {
            const bool ticked = ::SendDlgItemMessageW(m_hwnd, IDC_H_AGREE, BM_GETCHECK, 0, 0) == BST_CHECKED;
            m_start->EnableStartButton(ticked);
            Say(ticked ? L"start enabled" : L"start disabled");
            return true;
        }
        return CDialog::OnCommand(id, code, control);
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == kMsgShowSelection) {
            Say(L"switch " + std::to_wstring(wParam));
            if (wParam == 2) {
                ::ShowWindow(::GetDlgItem(m_hwnd, IDC_H_AGREE), SW_HIDE);
                m_start->ShowWindow(SW_HIDE);
                // Made when first shown, as the main window makes it.
                if (!m_selection) {
                    m_selection = std::make_unique<CDriverUninstallFunctionDlg>();
                    m_selection->SetScale(m_scale);
                    m_selection->SetInventory(&m_inventory);
                    m_selection->Create(CDriverUninstallFunctionDlg::kTemplateId, m_hwnd);
                    m_selection->MoveWindow(PageRect(m_scale));
                }
                m_selection->ShowWindow(SW_SHOW);
                m_selection->FillCategoryTree();
            }
            result = 1;
            return true;
        }
        return CDialog::OnMessage(message, wParam, lParam, result);
    }

    void OnDestroy() override {
        m_start.reset();
        m_selection.reset();
    }

private:
    DriverInventory& m_inventory;
    float m_scale;
    std::unique_ptr<CDriverUninstallStartDlg> m_start;
    std::unique_ptr<CDriverUninstallFunctionDlg> m_selection;
};

class CHostApp : public CWinApp {
public:
    BOOL InitInstance() override {
        StartGdiplus();
        InitCommonControls();
        HDC screen = ::GetDC(nullptr);
        float scale = ScaleFromDpi(::GetDeviceCaps(screen, LOGPIXELSY));
        ::ReleaseDC(nullptr, screen);
        int count = 0;
        wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
        for (int i = 1; i + 1 < count; ++i) {
            if (std::wstring(argv[i]) == L"--scale") {
                scale = std::wcstof(argv[i + 1], nullptr);
            }
        }
        ::LocalFree(argv);
        Say(L"scale " + std::to_wstring(scale));

        if (!LoadCatalogue(m_inventory)) {
            Say(L"catalogue failed");
            m_exitCode = 3;
        } else {
            CHostDlg host(m_inventory, scale);
            SetMainWindow(&host);
            host.DoModal();
            SetMainWindow(nullptr);
            Say(L"closed");
        }
        ShutdownGdiplus();
        return FALSE;
    }
    int ExitInstance() override { return m_exitCode; }

private:
    DriverInventory m_inventory;
    int m_exitCode = 0;
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CHostApp app;
    return app.Run();
}
