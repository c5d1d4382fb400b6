// Dialogs from templates: creation, the modal loop, message dispatch and the automatic centring.
#include "framework/Dialog.h"

#include "framework/CallbackGuard.h"
#include "framework/Placement.h"
#include "framework/WinApp.h"

#include <windowsx.h>

#include <unordered_map>

namespace {

// Live dialogs of the window thread, so that the message loop finds the objects of the windows it walks.
std::unordered_map<HWND, CDialog*>& LiveDialogs() {
    static std::unordered_map<HWND, CDialog*> dialogs;
    return dialogs;
}

// Messages whose answer the dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

HWND ApplicationMainWindow() {
    CWinApp* app = CWinApp::Current();
    return app != nullptr ? app->MainWindowHandle() : nullptr;
}

} // namespace

CDialog::CDialog(int templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() {
    if (m_hwnd != nullptr) {
        // The derived object is gone: let the window die without calling back into it.
        HWND hwnd = m_hwnd;
        LiveDialogs().erase(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        m_hwnd = nullptr;
        ::DestroyWindow(hwnd);
    }
}

CDialog* CDialog::FromHandle(HWND hwnd) {
    const auto found = LiveDialogs().find(hwnd);
    return found != LiveDialogs().end() ? found->second : nullptr;
}

bool CDialog::CreateWindowFromTemplate(HWND owner) {
    HWND hwnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

bool CDialog::Create(int templateId, HWND parent) {
    if (m_hwnd != nullptr) {
        return false;
    }
    m_templateId = templateId;
    m_parent = parent;
    m_modal = false;
    return CreateWindowFromTemplate(parent);
}

INT_PTR CDialog::DoModal() {
    if (m_hwnd != nullptr) {
        return -1;
    }
    // The owner: the first window above the given parent that is not a child (a pop-up cannot be owned by a
    // child), or without parent the last active pop-up of the application's main window. The owner and the
    // top-level window above it are disabled while the dialog runs.
    HWND owner = m_parent != nullptr ? m_parent : ApplicationMainWindow();
    while (owner != nullptr && (::GetWindowLongW(owner, GWL_STYLE) & WS_CHILD)) {
        owner = ::GetParent(owner);
    }
    HWND top = owner;
    for (HWND up = owner; up != nullptr; up = ::GetParent(up)) {
        top = up;
    }
    if (m_parent == nullptr && owner != nullptr) {
        owner = ::GetLastActivePopup(owner);
    }
    const bool enableTop = top != nullptr && top != owner && ::IsWindowEnabled(top);
    if (enableTop) {
        ::EnableWindow(top, FALSE);
    }
    const bool enableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (enableOwner) {
        ::EnableWindow(owner, FALSE);
    }

    m_modal = true;
    m_endRequested = false;
    m_result = -1;
    if (CreateWindowFromTemplate(owner)) {
        if (!m_endRequested && m_hwnd != nullptr && !(::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_VISIBLE)) {
            ::ShowWindow(m_hwnd, SW_SHOWNORMAL);
        }
        RunModalLoop();
        if (m_hwnd != nullptr) {
            ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
    }
    if (enableOwner) {
        ::EnableWindow(owner, TRUE);
    }
    if (owner != nullptr && m_hwnd != nullptr && ::GetActiveWindow() == m_hwnd) {
        ::SetActiveWindow(owner);
    }
    DestroyWindow();
    if (enableTop) {
        ::EnableWindow(top, TRUE);
    }
    m_modal = false;
    return m_result;
}

void CDialog::RunModalLoop() {
    MSG message;
    while (!m_endRequested) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!PreTranslateChain(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

bool CDialog::PreTranslateChain(MSG& message) {
    NoteKeyboardUse(message);
    for (HWND hwnd = message.hwnd; hwnd != nullptr; hwnd = ::GetParent(hwnd)) {
        // A dialog that is a control of its parent (DS_CONTROL, a page) leaves the keys to the dialog above it:
        // one Tab order runs through both.
        const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
        if ((style & (WS_CHILD | DS_CONTROL)) == (WS_CHILD | DS_CONTROL)) {
            continue;
        }
        if (CDialog* dialog = FromHandle(hwnd)) {
            if (dialog->PreTranslateMessage(message)) {
                return true;
            }
        }
    }
    return false;
}

bool CDialog::PreTranslateMessage(MSG& message) {
    const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
    const bool mouse = message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST;
    if (!key && !mouse) {
        return false;
    }
    return ::IsDialogMessageW(m_hwnd, &message) != FALSE;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_modal) {
        m_result = result;
        m_endRequested = true;
        // Wake the loop: the request may come from a message sent by another thread, which GetMessage handles
        // without returning.
        if (m_hwnd != nullptr) {
            ::PostMessageW(m_hwnd, WM_NULL, 0, 0);
        }
    } else if (m_hwnd != nullptr) {
        ::ShowWindow(m_hwnd, SW_HIDE);
    }
}

void CDialog::DestroyWindow() {
    if (m_hwnd != nullptr) {
        ::DestroyWindow(m_hwnd);
    }
}

LRESULT CDialog::Default() {
    return ::DefWindowProcW(m_hwnd, m_current.message, m_current.wParam, m_current.lParam);
}

void CDialog::CentreAfterInit(const RECT& before, bool visibleBefore) {
    RECT after{};
    ::GetWindowRect(m_hwnd, &after);
    HWND owner = ::GetWindow(m_hwnd, GW_OWNER);
    InitialPlacement placement;
    placement.visibleBefore = visibleBefore;
    placement.visibleOrChildAfter = (::GetWindowLongW(m_hwnd, GWL_STYLE) & (WS_VISIBLE | WS_CHILD)) != 0;
    placement.topLeftBefore = {before.left, before.top};
    placement.topLeftAfter = {after.left, after.top};
    placement.ownerEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (!ShouldAutoCentre(placement)) {
        return;
    }
    HWND centreOn = CentresOnScreen() ? nullptr : owner;
    if (centreOn != nullptr) {
        const LONG style = ::GetWindowLongW(centreOn, GWL_STYLE);
        if (!(style & WS_VISIBLE) || (style & WS_MINIMIZE)) {
            centreOn = nullptr;
        }
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT centre{};
    if (centreOn == nullptr) {
        ::GetMonitorInfoW(::MonitorFromWindow(ApplicationMainWindow(), MONITOR_DEFAULTTOPRIMARY), &monitor);
        centre = monitor.rcWork;
    } else {
        ::GetWindowRect(centreOn, &centre);
        ::GetMonitorInfoW(::MonitorFromWindow(centreOn, MONITOR_DEFAULTTONEAREST), &monitor);
    }
    const Point topLeft =
        CentredTopLeft({after.right - after.left, after.bottom - after.top}, ToRect(centre), ToRect(monitor.rcWork));
    ::SetWindowPos(m_hwnd, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDialog::OnCommand(int id, int, HWND) {
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::OnClose() {
    OnCancel();
    return true;
}

bool CDialog::OnTimer(UINT_PTR) {
    return false;
}
void CDialog::OnSize(UINT, int, int) {}
void CDialog::OnMove(int, int) {}
bool CDialog::OnEraseBackground(HDC) {
    return false;
}
bool CDialog::OnNcHitTest(Point, LRESULT&) {
    return false;
}
bool CDialog::OnNotify(const NMHDR&, LRESULT&) {
    return false;
}
bool CDialog::OnLButtonDown(UINT, Point) {
    return false;
}

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG: {
        RECT before{};
        ::GetWindowRect(m_hwnd, &before);
        const bool visibleBefore = (::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
        BindControls();
        result = OnInitDialog();
        if (m_modal && m_hwnd != nullptr) {
            CentreAfterInit(before, visibleBefore);
        }
        return true;
    }
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE:
        return OnClose();
    case WM_TIMER:
        return OnTimer(wParam);
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return false;
    case WM_MOVE:
        OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return false;
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_ERASEBKGND:
        if (OnEraseBackground(reinterpret_cast<HDC>(wParam))) {
            result = 1;
            return true;
        }
        return false;
    case WM_NCHITTEST:
        return OnNcHitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, result);
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
    case WM_LBUTTONDOWN:
        return OnLButtonDown(static_cast<UINT>(wParam), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_DRAWITEM:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return CControl::Reflect(message, wParam, lParam, result);
    default:
        return false;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hwnd = hwnd;
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return FALSE;
    }

    const MSG saved = self->m_current;
    self->m_current = MSG{hwnd, message, wParam, lParam, 0, {}};
    LRESULT result = 0;
    // A handler that throws leaves the message to the dialog manager, as one that did not handle it.
    const bool handled = GuardCallback(
        message,
        [&] {
            if (message == WM_INITDIALOG) {
                LiveDialogs()[hwnd] = self;
            }
            return self->OnMessage(message, wParam, lParam, result);
        },
        [] { return false; });
    self->m_current = saved;

    if (message == WM_NCDESTROY) {
        LiveDialogs().erase(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        if (self->m_modal) {
            self->m_endRequested = true; // a modal dialog destroyed from outside ends its loop
        }
    }
    if (!handled) {
        return FALSE;
    }
    if (ReturnsDirectly(message)) {
        return static_cast<INT_PTR>(result);
    }
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
