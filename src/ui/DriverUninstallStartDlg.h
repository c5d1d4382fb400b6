// The detection start page: the first content of the main window, a picture with the button "开始运行" that
// starts the driver scan and waits for it in the progress window.
//
// The main window makes it at start-up (it stays a child of the main window for the whole run):
//   m_startPage = std::make_unique<CDriverUninstallStartDlg>();
//   m_startPage->SetScale(s);
//   m_startPage->SetInventory(&m_inventory);
//   m_startPage->Create(CDriverUninstallStartDlg::kTemplateId, Hwnd());
//   m_startPage->MoveWindow(PageRect(s));            // ui/layout/PageLayout.h
//   m_startPage->ShowWindow(SW_SHOW);
// Before a scan starts the page sends kMsgDetectionStarting to its parent (the scan rebuilds the inventory: the
// selection page must let go of its records); after a scan that found drivers it sends kMsgShowSelection
// (0x5F6, wParam 2, lParam 0). Only a visible page scans, and one scan at a time.
#pragma once

#include "base/WindowMessages.h"
#include "resources/resource.h"
#include "ui/PageDlg.h"
#include "ui/controls/ImageButton.h"

class CDriverUninstallStartDlg : public CPageDlg {
public:
    static constexpr int kTemplateId = IDD_DRIVER_UNINSTALL_START;

    explicit CDriverUninstallStartDlg(HWND parent = nullptr);
    ~CDriverUninstallStartDlg() override;

    // Enables or disables "开始运行" and repaints it (the agreement check box of the main window decides).
    void EnableStartButton(bool enabled);
    // Whether a scan runs (its progress window is up).
    bool IsDetecting() const;

    // How the scan thread is started (StartScan unless a test stands in for it).
    using ScanStarter = bool (*)(DriverInventory& inventory);
    void SetScanStarter(ScanStarter starter) { m_startScan = starter; }
    // How a running scan is stopped (StopScan unless a test stands in for it).
    using ScanStopper = void (*)();
    void SetScanStopper(ScanStopper stopper) { m_stopScan = stopper; }

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    void SetUpControls() override;
    // The part of the picture behind the button follows the button when the page changes size.
    void PlaceControls() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;
    // The scan's result (0x5F7).
    UINT WorkResultMessage() const override;
    void OnWorkResult(WPARAM result) override;

private:
    void StartDetection();

    CImageButton m_startButton;
    ScanStarter m_startScan;
    ScanStopper m_stopScan;
};
