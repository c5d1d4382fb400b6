// The frame.
#include "shell/TolvikDriverUninstallToolDlg.h"

#include "framework/GdiObjects.h"
#include "shell/AboutDlg.h"
#include "shell/DriverUninstallToolDlg.h"
#include "shell/MainWindowLayout.h"
#include "shell/SelfRemoval.h"
#include "ui/ProblemSolvingFeedbackDlg.h"
#include "ui/layout/ScaleRule.h"

namespace {

constexpr wchar_t kTaskBarTitle[] = L"videzure";

std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself.
    const int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

int ScreenDpi() {
    CClientDc screen(nullptr);
    return screen.Get() != nullptr ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
}

} // namespace

CTolvikDriverUninstallToolDlg::CTolvikDriverUninstallToolDlg()
    : CFramePopupDlg(kTemplateId, nullptr),
      m_icon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {
    LetContentLead();
}

CTolvikDriverUninstallToolDlg::~CTolvikDriverUninstallToolDlg() = default;

CDriverUninstallToolDlg* CTolvikDriverUninstallToolDlg::MainDialog() const {
    return ContentAs<CDriverUninstallToolDlg>();
}

int CTolvikDriverUninstallToolDlg::FramePictureId() const {
    return IDP_MAIN_FRAME;
}

Rect CTolvikDriverUninstallToolDlg::ContentRect(const Rect& frameWindow) const {
    return MainWindowRect(frameWindow, m_scale);
}

void CTolvikDriverUninstallToolDlg::AddAboutItem() {
    const std::wstring about = LoadResourceString(IDS_ABOUTBOX);
    HMENU menu = ::GetSystemMenu(m_hwnd, FALSE);
    if (menu == nullptr || about.empty()) {
        return;
    }
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
}

BOOL CTolvikDriverUninstallToolDlg::OnInitDialog() {
    AddAboutItem();
    ::SetWindowLongW(m_hwnd, GWL_STYLE, ::GetWindowLongW(m_hwnd, GWL_STYLE) | WS_MINIMIZEBOX);

    // Opened on the primary monitor: its work area bounds the scale (a small screen at a high DPI lowers it) and
    // the frame is centred in it.
    const Rect work = WorkAreaOf(nullptr);
    m_scale = FitScale(ScaleFromDpi(ScreenDpi()), kFrameDesignSize, {work.Width(), work.Height()});
    const Rect frame = FrameRect({work.Width(), work.Height()}, m_scale).Offset(work.left, work.top);
    ::SetWindowLongW(m_hwnd, GWL_EXSTYLE, ::GetWindowLongW(m_hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);

    if (!EnsureFramePicture()) {
        return TRUE;
    }

    auto content = std::make_unique<CDriverUninstallToolDlg>();
    content->SetScale(m_scale);
    if (!AttachContent(std::move(content), CDriverUninstallToolDlg::kTemplateId)) {
        // Without its main window the program has nothing to show: end instead of idling invisibly.
        EndDialog(IDABORT);
        return TRUE;
    }
    CDriverUninstallToolDlg* mainWindow = MainDialog();
    KeepAbove(mainWindow->Hwnd());
    // Moving the main window brings the frame around it.
    mainWindow->MoveWindow(ContentRect(frame));
    // The start page is in place before the main window shows: it appears whole, at once.
    mainWindow->CreatePages();
    mainWindow->ShowWindow(SW_SHOW);
    // The frame shows only once this returns: its picture, and the icon and title of its taskbar button, come
    // after the main window, which need not wait for them. The picture's push sizes the frame to the picture;
    // the frame then goes back to where the main window's move put it.
    const Rect aroundMainWindow = WindowRect();
    PushFramePicture({frame.Width(), frame.Height()}, false);
    MoveWindow(aroundMainWindow);
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    ::SetWindowTextW(m_hwnd, kTaskBarTitle);
    return TRUE;
}

bool CTolvikDriverUninstallToolDlg::PaintIcon() {
    CPaintDc paint(m_hwnd);
    const Rect client = ClientRect();
    const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(paint.Get(), x, y, m_icon);
    return true;
}

bool CTolvikDriverUninstallToolDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            // Owned by the main window: the main window and the frame are both disabled while it is up, so
            // nothing of the tool can be closed or used behind it.
            CAboutDlg about(MainDialog() != nullptr ? MainDialog()->Hwnd() : m_hwnd);
            about.DoModal();
            result = 0;
            return true;
        }
        return false;
    case WM_PAINT:
        if (::IsIconic(m_hwnd)) {
            result = 0;
            return PaintIcon();
        }
        return false;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_icon);
        return true;
    default:
        return CFramePopupDlg::OnMessage(message, wParam, lParam, result);
    }
}

bool CTolvikDriverUninstallToolDlg::OnClose() {
    {
        CProblemSolvingFeedbackDlg feedback;
        feedback.SetBridge(MainDialog() != nullptr ? &MainDialog()->Feedback() : nullptr);
        feedback.DoModal();
    }
    m_closedByUser = true;
    return CFramePopupDlg::OnClose();
}

void CTolvikDriverUninstallToolDlg::OnDestroy() {
    CFramePopupDlg::OnDestroy();
    if (m_closedByUser) {
        // The command waits until this process has ended; if it cannot start, the tool simply stays.
        StartSelfRemoval();
    }
}
