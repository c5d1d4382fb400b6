// Detection start page.
#include "ui/DriverUninstallStartDlg.h"

#include "base/WindowMessages.h"
#include "console/WorkerReport.h"
#include "discovery/DriverInventory.h"
#include "discovery/ScanThread.h"
#include "framework/GdiObjects.h"
#include "logging/LogSave.h"
#include "ui/ControlSetUp.h"
#include "ui/ExecutePromptDlg.h"
#include "ui/Prompts.h"
#include "ui/layout/PageLayout.h"

namespace {

constexpr wchar_t kInternalError[] = L"工具内部错，请与软件提供商联系！";

} // namespace

CDriverUninstallStartDlg::CDriverUninstallStartDlg(HWND parent)
    : CPageDlg(kTemplateId, parent, IDP_START_BACKGROUND), m_startScan(&StartScan), m_stopScan(&StopScan) {}

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
    if (EnsureBackground()) {
        LayOutControls();
    }
    return TRUE;
}

void CDriverUninstallStartDlg::SetUpControls() {
    m_startButton.SetBackImage(Background());
    m_startButton.SetStripImage(IDP_START_STRIP);
}

void CDriverUninstallStartDlg::PlaceControls() {
    const StartPageLayout layout = LayOutStartPage(ClientRect(), m_scale);
    SetBackSource(m_startButton, layout.backSource);
    SetHotMargins(m_startButton, layout.hotMargins);
    m_startButton.MoveWindow(layout.button);
}

void CDriverUninstallStartDlg::OnDestroy() {
    m_startButton.ReleaseImages();
    CPageDlg::OnDestroy();
}

bool CDriverUninstallStartDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_START) {
        StartDetection();
        return true;
    }
    return CPageDlg::OnCommand(id, code, control);
}

bool CDriverUninstallStartDlg::IsDetecting() const {
    return IsWaiting();
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
    WaitForWorker(L"正在检测驱动，请稍等", m_stopScan, L"是否停止检测驱动？");
}

UINT CDriverUninstallStartDlg::WorkResultMessage() const {
    return kMsgScanResult;
}

void CDriverUninstallStartDlg::OnWorkResult(WPARAM result) {
    if (result == kResultSuccess) {
        ::SendMessageW(::GetParent(m_hwnd), kMsgShowSelection, 2, 0);
    } else if (result == kResultFailure) {
        ShowMessagePrompt(m_hwnd, m_scale, L"获取设备驱动失败");
    }
}
