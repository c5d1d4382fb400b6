// The main window.
#include "shell/DriverUninstallToolDlg.h"

#include "console/WindowsConsole.h"
#include "console/WorkerReport.h"
#include "discovery/Catalogue.h"
#include "feedback/FeedbackConstants.h"
#include "logging/LogSave.h"
#include "shell/MainWindowLayout.h"
#include "shell/SystemSupport.h"
#include "ui/ControlSetUp.h"
#include "ui/DriverUninstallFunctionDlg.h"
#include "ui/DriverUninstallStartDlg.h"
#include "ui/PromptDlg.h"
#include "ui/TooltipDlg.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/PageLayout.h"
#include "ui/layout/PromptLayout.h"

#include <cstdlib>
#include <string_view>

namespace {

constexpr wchar_t kTitle[] = L"videzure";
// Measured in the frame's font to size the bottom row.
constexpr std::wstring_view kAgreementMeasureText = L"同意《Varunel服务工具使用许可协议》";
constexpr std::wstring_view kFeedbackMeasureText = L"反馈问题";
constexpr std::wstring_view kNewVersionNotice = L"检测到当前工具有新的版本更新，请下载最新版本使用。";

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLinkColour = 0xFF5C5C;
constexpr COLORREF kLinkHoverColour = 0xFF0000;
// DrawTextStatic alignment: one line, vertically centred, left-aligned.
constexpr int kAlignSingleLineLeft = 1;

int TextWidth(HFONT font, std::wstring_view text) {
    CClientDc screen(nullptr);
    if (screen.Get() == nullptr) {
        return 0;
    }
    CSelectObject selected(screen.Get(), font);
    SIZE extent{};
    ::GetTextExtentPoint32W(screen.Get(), text.data(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

// The colour of one pixel of a picture (white when there is none).
COLORREF PictureColourAt(Gdiplus::Image* image, int x, int y) {
    if (image == nullptr) {
        return kWhite;
    }
    Gdiplus::Bitmap pixel(1, 1, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&pixel);
        graphics.DrawImage(image, Gdiplus::Rect(0, 0, 1, 1), x, y, 1, 1, Gdiplus::UnitPixel);
    }
    Gdiplus::Color colour;
    if (pixel.GetPixel(0, 0, &colour) != Gdiplus::Ok) {
        return kWhite;
    }
    return RGB(colour.GetR(), colour.GetG(), colour.GetB());
}

} // namespace

CDriverUninstallToolDlg::CDriverUninstallToolDlg() : CContentDlg(kTemplateId, nullptr, IDP_MAIN_BACKGROUND) {}

CDriverUninstallToolDlg::~CDriverUninstallToolDlg() = default;

void CDriverUninstallToolDlg::BindControls() {
    Bind(m_closeButton, IDC_CLOSE);
    Bind(m_minimiseButton, IDC_MINIMISE);
    Bind(m_versionLabel, IDC_VERSION);
    Bind(m_moreToolsButton, IDC_MORE_TOOLS);
    Bind(m_agreeCheck, IDC_AGREE);
    Bind(m_agreementLink, IDC_AGREEMENT_LINK);
    Bind(m_feedbackLink, IDC_FEEDBACK_LINK);
}

BOOL CDriverUninstallToolDlg::OnInitDialog() {
    if (!EnsureBackground()) {
        return TRUE;
    }
    if (const auto failure = RunStartupChecks(*this)) {
        FailStartup(*failure);
    }
    LayOutControls();
    SetTimer(kTimerLinkHover, 100);
    SetTimer(kTimerNewVersion, 100);
    return TRUE;
}

bool CDriverUninstallToolDlg::LoadCatalogue() {
    return ::LoadCatalogue(m_inventory);
}

bool CDriverUninstallToolDlg::SetNotifyWindow() {
    return m_inventory.SetNotifyWindow(m_hwnd);
}

bool CDriverUninstallToolDlg::IsSupportedSystem() {
    return ::IsSupportedSystem();
}

bool CDriverUninstallToolDlg::SetHookTarget() {
    return m_clickHook.SetTargetWindow(m_hwnd);
}

bool CDriverUninstallToolDlg::InstallHook() {
    return m_clickHook.Install();
}

bool CDriverUninstallToolDlg::LoadFeedbackLibrary() {
    return m_feedback.Load(GetProgramFolder()).status == FeedbackLoadStatus::Loaded;
}

bool CDriverUninstallToolDlg::InitFeedbackLibrary() {
    return m_feedback.InitFreedbackDll() != 0;
}

void CDriverUninstallToolDlg::FailStartup(const StartupCheckFailure& failure) {
    LogToolFailure(failure.logEntry);
    {
        CPromptDlg prompt(nullptr);
        prompt.SetScale(m_scale);
        prompt.SetText(failure.message);
        prompt.SetKind(kPromptConfirm);
        prompt.DoModal();
    }
    // Nothing of the ordinary exit runs: no feedback question, no clean-up of the windows.
    std::exit(0);
}

void CDriverUninstallToolDlg::SetUpControls() {
    Gdiplus::Image* background = Background();
    m_closeButton.SetScale(m_scale);
    SetStateImages(m_closeButton, StateImagesFrom(IDP_MAIN_CLOSE));
    m_minimiseButton.SetScale(m_scale);
    SetStateImages(m_minimiseButton, StateImagesFrom(IDP_MAIN_MINIMISE));

    m_versionLabel.ChangeWindowText(kToolVersion);
    m_versionLabel.SetBackImage(background);
    SetBackSource(m_versionLabel, kVersionBackSource);
    // Filled with the colour the picture has there, so that an edge column a stretched picture leaves out does not
    // show as a line.
    m_versionLabel.SetBackColor(
        PictureColourAt(background, kVersionBackSource.left, (kVersionBackSource.top + kVersionBackSource.bottom) / 2));
    m_versionLabel.SetTextColors(kWhite, kWhite);
    m_versionLabel.CreateFontFromParent(0, 0);
    m_versionLabel.SetAlignment(kAlignSingleLineLeft);

    m_moreToolsButton.SetBackImage(background);
    SetBackSource(m_moreToolsButton, kMoreToolsBackSource);
    SetHotMargins(m_moreToolsButton, Margins{});
    SetStateImages(m_moreToolsButton, StateImagesFrom(IDP_MORE_TOOLS));

    m_agreeCheck.InitFontFromParent();
    m_agreeCheck.SetScale(m_scale);
    m_agreeCheck.SetCheck(BST_CHECKED);
    SetUpLinks();
}

void CDriverUninstallToolDlg::SetUpLinks() {
    for (CDrawTextStatic* link : {&m_agreementLink, &m_feedbackLink}) {
        link->MakeKeyboardLink();
        link->SetTextColors(kLinkColour, kLinkHoverColour);
        link->SetBackColor(kWhite);
        link->CreateFontFromParent(0, 0);
        link->SetAlignment(kAlignSingleLineLeft);
    }
}

void CDriverUninstallToolDlg::PlaceControls() {
    const Rect client = ClientRect();
    const HFONT frameFont = reinterpret_cast<HFONT>(::SendMessageW(Frame(), WM_GETFONT, 0, 0));
    const MainWindowLayout layout =
        LayOutMainWindow({client.Width(), client.Height()}, m_scale, TextWidth(frameFont, kAgreementMeasureText),
                         TextWidth(frameFont, kFeedbackMeasureText));
    m_closeButton.MoveWindow(layout.close);
    m_minimiseButton.MoveWindow(layout.minimise);
    m_versionLabel.MoveWindow(layout.version);
    m_moreToolsButton.MoveWindow(layout.moreTools);
    m_agreeCheck.MoveWindow(layout.agree);
    m_agreementLink.MoveWindow(layout.agreementLink);
    m_feedbackLink.MoveWindow(layout.feedbackLink);
}

bool CDriverUninstallToolDlg::OnEraseBackground(HDC dc) {
    if (!EnsureBackground()) {
        return true;
    }
    const Rect client = ClientRect();
    CMemoryDc memory(dc, client.Width(), client.Height());
    if (!memory.Valid()) {
        return true;
    }
    DrawImageWhole(memory.Dc(), Background(), client);
    if (!m_titleFontReady) {
        m_titleFont.Reset(CreateFontFromParent(Frame(), 6, FW_BOLD));
        m_titleFontReady = true;
    }
    {
        // The title goes into the picture before it reaches the screen, so it never flickers.
        CSelectObject font(memory.Dc(), m_titleFont.Get());
        ::SetBkMode(memory.Dc(), TRANSPARENT);
        ::SetTextColor(memory.Dc(), kWhite);
        RECT title = ToRECT(TitleRect(m_scale));
        ::DrawTextW(memory.Dc(), kTitle, -1, &title, DT_SINGLELINE | DT_VCENTER);
    }
    memory.CopyTo(dc);
    return true;
}

bool CDriverUninstallToolDlg::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_CLOSE:
        ::SendMessageW(Frame(), WM_CLOSE, 0, 0);
        return true;
    case IDC_MINIMISE:
        ::PostMessageW(Frame(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return true;
    case IDC_MORE_TOOLS:
        m_feedback.OpenUrl(kKnowledgeBaseArticle);
        return true;
    case IDC_AGREE:
        StartAgreementThread();
        return true;
    case IDC_FEEDBACK_LINK:
        // Space or Enter on the focused link (a click is seen by OnLButtonDown).
        m_feedback.FeedbackQuestion(kToolId, kToolVersion);
        return true;
    case IDC_AGREEMENT_LINK:
        ToggleAgreement();
        return true;
    default:
        return CContentDlg::OnCommand(id, code, control);
    }
}

bool CDriverUninstallToolDlg::OnClose() {
    // A system close (Alt+F4) takes the close button's road: the frame asks the feedback question and ends the
    // program. Hidden on its own, this window would leave the frame's empty picture and the process behind.
    ::SendMessageW(Frame(), WM_CLOSE, 0, 0);
    return true;
}

bool CDriverUninstallToolDlg::OnNcHitTest(Point screen, LRESULT& hit) {
    m_feedbackLink.UpdateHover(screen.x, screen.y);
    m_agreementLink.UpdateHover(screen.x, screen.y);
    if (::DragStrip(ClientRectOnScreen(), m_scale).Contains(screen)) {
        // The system drags the window by this strip; the frame follows in OnMove.
        hit = HTCAPTION;
        return true;
    }
    return false;
}

bool CDriverUninstallToolDlg::OnLButtonDown(UINT, Point client) {
    POINT point{client.x, client.y};
    ::ClientToScreen(m_hwnd, &point);
    const Point screen{point.x, point.y};
    if (m_feedbackLink.WindowRect().Contains(screen)) {
        m_feedback.FeedbackQuestion(kToolId, kToolVersion);
    }
    if (m_agreementLink.IsVisible() && m_agreementLink.WindowRect().Contains(screen)) {
        ToggleAgreement();
    } else {
        HideAgreement();
    }
    return false;
}

void CDriverUninstallToolDlg::ToggleAgreement() {
    if (!m_agreement) {
        m_agreement = std::make_unique<CTooltipDlg>();
        m_agreement->SetScale(m_scale);
        if (!m_agreement->Create(IDD_TOOLTIP, m_hwnd)) {
            m_agreement.reset();
            return;
        }
    }
    m_agreement->PlaceOver(WindowRect());
    m_agreement->Toggle();
}

void CDriverUninstallToolDlg::HideAgreement() {
    if (m_agreement) {
        m_agreement->ShowPair(false);
    }
}

void CDriverUninstallToolDlg::OnScreenClick() {
    if (!m_agreement) {
        return;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const Point at{cursor.x, cursor.y};
    if (!WindowRect().Contains(at)) {
        HideAgreement();
        return;
    }
    // A press on the link is left to the link's own click, which toggles the window; a press inside the
    // agreement window (its scroll bar, its text) keeps it open.
    if (!m_agreementLink.WindowRect().Contains(at) && !m_agreement->WindowRect().Contains(at) &&
        m_agreement->IsShown()) {
        HideAgreement();
    }
}

namespace {

DWORD WINAPI AgreementThread(LPVOID parameter) {
    // The window thread itself reads the box when the message arrives, so however many of these threads a
    // burst of clicks starts, and in whatever order they finish, the start button ends in step with the box.
    ::SendMessageW(static_cast<HWND>(parameter), kMsgAgreementChanged, 0, 0);
    return 0;
}

} // namespace

void CDriverUninstallToolDlg::StartAgreementThread() {
    HANDLE thread = ::CreateThread(nullptr, 0, &AgreementThread, m_hwnd, 0, nullptr);
    if (thread != nullptr) {
        ::CloseHandle(thread);
    }
}

void CDriverUninstallToolDlg::ApplyAgreement() {
    if (m_pageState != 1 || !m_startPage) {
        return;
    }
    m_startPage->EnableStartButton(m_agreeCheck.Send(BM_GETCHECK) == BST_CHECKED);
}

bool CDriverUninstallToolDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case kMsgShowSelection:
        if (wParam == 2) {
            ShowSelectionPage();
        }
        result = 1;
        return true;
    case kMsgScreenClick:
        OnScreenClick();
        result = 1;
        return true;
    case kMsgAgreementChanged:
        ApplyAgreement();
        result = 0;
        return true;
    case kMsgDetectionStarting:
        if (m_selectionPage) {
            m_selectionPage->ClearContents();
        }
        result = 0;
        return true;
    default:
        return CContentDlg::OnMessage(message, wParam, lParam, result);
    }
}

bool CDriverUninstallToolDlg::OnTimer(UINT_PTR id) {
    if (id == kTimerLinkHover) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        m_agreementLink.UpdateHover(cursor.x, cursor.y);
        return false;
    }
    if (id == kTimerNewVersion) {
        KillTimer(kTimerNewVersion);
        CheckForNewVersion();
        return true;
    }
    return false;
}

void CDriverUninstallToolDlg::CheckForNewVersion() {
    // Asked on the window thread: the window waits for the library's answer.
    if (!IsNewVersionAnswer(m_feedback.GetToolIsNewVersion(kToolId, kToolVersion))) {
        return;
    }
    {
        auto prompt = std::make_unique<CPromptDlg>(m_hwnd);
        prompt->SetScale(m_scale);
        prompt->SetText(kNewVersionNotice);
        prompt->SetKind(kPromptConfirm);
        prompt->DoModal();
    }
    m_feedback.OpenToolDownUrl();
    // The old version leaves at once; its folder stays for the user.
    std::exit(0);
}

void CDriverUninstallToolDlg::OnMove(int, int) {
    // The frame carries the shadow around this window: wherever this window goes (a drag of the strip, the
    // system menu's Move, any SetWindowPos), the frame goes around it.
    if (m_following || Frame() == nullptr) {
        return;
    }
    m_following = true;
    const Rect window = WindowRect();
    const Rect frame = FrameFollowRect(window, m_scale);
    ::MoveWindow(Frame(), frame.left, frame.top, frame.Width(), frame.Height(), TRUE);
    MoveWindow(window);
    m_following = false;
}

void CDriverUninstallToolDlg::CreatePages() {
    const Rect page = PageRect(m_scale);

    m_startPage = std::make_unique<CDriverUninstallStartDlg>();
    m_startPage->SetScale(m_scale);
    m_startPage->SetInventory(&m_inventory);
    if (m_startPage->Create(CDriverUninstallStartDlg::kTemplateId, m_hwnd)) {
        m_startPage->MoveWindow(page);
        m_startPage->ShowWindow(SW_SHOW);
        // The keyboard starts where the mouse would: on "开始运行".
        FocusWhenActive(m_startPage->GetDlgItem(IDC_START));
    }
}

void CDriverUninstallToolDlg::CreateSelectionPage() {
    m_selectionPage = std::make_unique<CDriverUninstallFunctionDlg>();
    m_selectionPage->SetScale(m_scale);
    m_selectionPage->SetInventory(&m_inventory);
    if (m_selectionPage->Create(CDriverUninstallFunctionDlg::kTemplateId, m_hwnd)) {
        m_selectionPage->MoveWindow(PageRect(m_scale));
    } else {
        m_selectionPage.reset();
    }
}

void CDriverUninstallToolDlg::ShowSelectionPage() {
    m_pageState = 2;
    m_agreeCheck.ShowWindow(SW_HIDE);
    m_agreementLink.ShowWindow(SW_HIDE);
    // The selection page is made and shown (still under the start page) before the start page goes, so that the
    // page area is never left without a page to paint it.
    if (!m_selectionPage) {
        CreateSelectionPage();
    }
    if (m_selectionPage) {
        m_selectionPage->ShowWindow(SW_SHOW);
    }
    if (m_startPage) {
        // Hidden and disabled: none of its controls can hold the focus or act any more.
        m_startPage->ShowWindow(SW_HIDE);
        m_startPage->EnableWindow(false);
    }
    if (m_selectionPage) {
        m_selectionPage->FillCategoryTree();
        FocusWhenActive(m_selectionPage->GetDlgItem(IDC_CATEGORY_TREE));
    }
}

void CDriverUninstallToolDlg::OnDestroy() {
    KillTimer(kTimerLinkHover);
    if (m_agreement) {
        m_agreement->DestroyWindow();
        m_agreement.reset();
    }
    m_closeButton.ReleaseImages();
    m_minimiseButton.ReleaseImages();
    m_moreToolsButton.ReleaseImages();
    // The pages' pictures and buttons go with their windows; the controls above still point at the background.
    for (CSkinnedDialog* page :
         {static_cast<CSkinnedDialog*>(m_startPage.get()), static_cast<CSkinnedDialog*>(m_selectionPage.get())}) {
        if (page != nullptr) {
            page->DestroyWindow();
        }
    }
    m_startPage.reset();
    m_selectionPage.reset();
    m_clickHook.Uninstall();
    m_versionLabel.SetBackImage(nullptr);
    m_moreToolsButton.SetBackImage(nullptr);
    CContentDlg::OnDestroy();
}
