// Detection start page.
#include "ui/DriverUninstallStartDlg.h"

#include "console/WorkerReport.h"
#include "discovery/DriverInventory.h"
#include "discovery/ScanThread.h"
#include "framework/GdiObjects.h"
#include "logging/LogSave.h"
#include "ui/ExecutePromptDlg.h"
#include "ui/Prompts.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/PageLayout.h"

namespace {

constexpr wchar_t kInternalError[] = L"工具内部错，请与软件提供商联系！";

} // namespace

CDriverUninstallStartDlg::CDriverUninstallStartDlg(HWND parent)
    : CSkinnedDialog(kTemplateId, parent), m_startScan(&StartScan), m_stopScan(&StopScan) {}

CDriverUninstallStartDlg::~CDriverUninstallStartDlg() = default;

void CDriverUninstallStartDlg::EnableStartButton(bool enabled) {
    m_startButton.EnableWindow(enabled);
    m_startButton.Invalidate(true);
}

void CDriverUninstallStartDlg::BindControls() {
    Bind(m_startButton, IDC_START);
}

BOOL CDriverUninstallStartDlg::OnInitDialog() {
    // Without its picture the page has nothing to lay out against; the button keeps its template place.
    if (EnsurePng(IDP_START_BACKGROUND, m_background)) {
        LayOut(true);
        m_laidOut = 1;
    }
    return TRUE;
}

void CDriverUninstallStartDlg::LayOut(bool first) {
    m_client = ClientRect();
    const StartPageLayout layout = LayOutStartPage(m_client, m_scale);
    if (first) {
        m_startButton.SetBackImage(m_background->Get());
        m_startButton.SetStripImage(IDP_START_STRIP);
    }
    // The part of the picture behind the button follows the button when the page changes size.
    m_startButton.SetBackSourceRect(layout.backSource.left, layout.backSource.top, layout.backSource.right,
                                    layout.backSource.bottom);
    m_startButton.SetHotMargins(layout.hotMargins.left, layout.hotMargins.top, layout.hotMargins.right,
                                layout.hotMargins.bottom);
    m_startButton.MoveWindow(layout.button);
}

void CDriverUninstallStartDlg::OnSize(UINT, int, int) {
    if (m_laidOut) {
        LayOut(false);
    }
}

bool CDriverUninstallStartDlg::OnEraseBackground(HDC dc) {
    if (!EnsurePng(IDP_START_BACKGROUND, m_background)) {
        return true;
    }
    PaintBackgroundPicture(dc, ClientRect(), m_background->Get());
    return true;
}

void CDriverUninstallStartDlg::OnDestroy() {
    m_startButton.ReleaseImages();
    m_background.reset();
    m_progress.reset();
}

bool CDriverUninstallStartDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_START) {
        StartDetection();
        return true;
    }
    return CSkinnedDialog::OnCommand(id, code, control);
}

bool CDriverUninstallStartDlg::IsDetecting() const {
    return m_progress && m_progress->IsWindow();
}

void CDriverUninstallStartDlg::StartDetection() {
    // A press that reaches a hidden page (the focus left on its button) or comes while a scan runs would scan
    // over the inventory the selection page shows.
    if (!::IsWindowVisible(m_hwnd) || IsDetecting()) {
        return;
    }
    if (m_inventory == nullptr) {
        LogToolFailure(u8"工具内部错1");
        ShowMessagePrompt(nullptr, m_scale, kInternalError);
        return;
    }
    // The scan rebuilds the inventory: whatever shows its records lets go of them first.
    ::SendMessageW(::GetParent(m_hwnd), kMsgDetectionStarting, 0, 0);
    m_inventory->SetNotifyWindow(m_hwnd);
    if (!m_startScan(*m_inventory)) {
        ShowMessagePrompt(nullptr, m_scale, L"获取设备驱动失败！");
        return;
    }
    // Returns once the scan thread's 0x5F5 has closed it; its result follows as 0x5F7.
    // A scan only queries: the user may stop it (a console tool that hangs would hold the window for as long as
    // its time limit).
    RunProgressWindow(m_progress, m_hwnd, m_scale, L"正在检测驱动，请稍等", m_stopScan, L"是否停止检测驱动？");
}

void CDriverUninstallStartDlg::OnScanResult(WPARAM result) {
    if (result == kResultSuccess) {
        ::SendMessageW(::GetParent(m_hwnd), kMsgShowSelection, 2, 0);
    } else if (result == kResultFailure) {
        ShowMessagePrompt(m_hwnd, m_scale, L"获取设备驱动失败");
    }
}

bool CDriverUninstallStartDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case kMsgWorkFinished:
        CloseProgressWindow(m_progress);
        result = 1;
        return true;
    case kMsgScanResult:
        OnScanResult(wParam);
        result = 1;
        return true;
    default:
        return CSkinnedDialog::OnMessage(message, wParam, lParam, result);
    }
}
