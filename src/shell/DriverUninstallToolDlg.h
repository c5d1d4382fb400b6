// The main window: a borderless skinned pop-up over the frame's inner area with the title, the version, the
// close and minimise buttons, the more-tools button, the agreement check box and link, the feedback link, and
// one of the two pages in its middle. It owns the inventory, the feedback library and the screen click hook,
// and runs the start-up checks while it initialises: a failed check is logged and shown, and ends the process.
//
//   auto main = std::make_unique<CDriverUninstallToolDlg>();
//   main->SetScale(s);
//   main->Create(CDriverUninstallToolDlg::kTemplateId, frame);   // runs the checks, lays the window out
//   main->MoveWindow(...); main->ShowWindow(SW_SHOW);
//   main->CreatePages();
#pragma once

#include "base/WindowMessages.h"
#include "discovery/DriverInventory.h"
#include "feedback/FeedbackBridge.h"
#include "framework/GdiObjects.h"
#include "resources/resource.h"
#include "shell/ScreenClickHook.h"
#include "shell/StartupChecks.h"
#include "ui/ContentDlg.h"
#include "ui/controls/CheckBoxBtn.h"
#include "ui/controls/DrawTextStatic.h"
#include "ui/controls/ImageButton.h"
#include "ui/controls/PngButton.h"

#include <memory>

class CDriverUninstallStartDlg;
class CDriverUninstallFunctionDlg;
class CTooltipDlg;

// Timer that keeps the agreement link's highlight in step with the cursor.
constexpr UINT_PTR kTimerLinkHover = 33;
// Timer of the one-time new-version check.
constexpr UINT_PTR kTimerNewVersion = 38;

class CDriverUninstallToolDlg : public CContentDlg, private IStartupChecks {
public:
    static constexpr int kTemplateId = IDD_DRIVER_UNINSTALL_TOOL;

    CDriverUninstallToolDlg();
    ~CDriverUninstallToolDlg() override;

    // Makes the detection start page over the page rectangle. The driver selection page is made when it is
    // first shown: nothing of it is seen before a detection ends, and making it is a large part of start-up.
    void CreatePages();

    // 1 while the detection start page is shown, 2 once the selection page has replaced it.
    int PageState() const { return m_pageState; }
    FeedbackBridge& Feedback() { return m_feedback; }

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    void SetUpControls() override;
    void PlaceControls() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnClose() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnTimer(UINT_PTR id) override;
    void OnMove(int x, int y) override;
    bool OnNcHitTest(Point screen, LRESULT& hit) override;
    bool OnLButtonDown(UINT flags, Point client) override;
    bool OnEraseBackground(HDC dc) override;
    void OnDestroy() override;
    // Esc closes the agreement window, as a click elsewhere does.
    void OnEscapeKey() override { HideAgreement(); }

private:
    // The start-up checks, in the order RunStartupChecks calls them.
    bool LoadCatalogue() override;
    bool SetNotifyWindow() override;
    bool IsSupportedSystem() override;
    bool SetHookTarget() override;
    bool InstallHook() override;
    bool LoadFeedbackLibrary() override;
    bool InitFeedbackLibrary() override;
    [[noreturn]] void FailStartup(const StartupCheckFailure& failure);

    void SetUpLinks();
    void CheckForNewVersion();
    void ShowSelectionPage();
    void CreateSelectionPage();
    void ToggleAgreement();
    void HideAgreement();
    void OnScreenClick();
    void StartAgreementThread();
    void ApplyAgreement();
    HWND Frame() const { return Parent(); }

    bool m_titleFontReady = false;
    CFontHandle m_titleFont;
    CDrawTextStatic m_versionLabel;
    CPngButton m_closeButton;
    CPngButton m_minimiseButton;
    CImageButton m_moreToolsButton;
    CCheckBoxBtn m_agreeCheck;
    CDrawTextStatic m_agreementLink;
    CDrawTextStatic m_feedbackLink;
    int m_pageState = 1;
    FeedbackBridge m_feedback;
    ScreenClickHook m_clickHook;
    DriverInventory m_inventory;
    std::unique_ptr<CDriverUninstallStartDlg> m_startPage;
    std::unique_ptr<CDriverUninstallFunctionDlg> m_selectionPage;
    std::unique_ptr<CTooltipDlg> m_agreement; // made on the first click on the agreement link
    bool m_following = false;                 // the frame is being moved after this window
};
