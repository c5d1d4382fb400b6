// Control subclassing and message reflection.
#include "framework/Control.h"

#include "framework/CallbackGuard.h"

#include <commctrl.h>

namespace {
constexpr UINT_PTR kSubclassId = 0x746C; // one subclass per control and object
bool g_focusCuesShown = false;

bool IsNavigationKey(WPARAM key) {
    switch (key) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_SPACE:
    case VK_RETURN:
    case VK_ESCAPE:
        return true;
    default:
        return false;
    }
}
} // namespace

bool FocusCuesShown() {
    return g_focusCuesShown;
}

void NoteKeyboardUse(const MSG& message) {
    if (g_focusCuesShown || message.message != WM_KEYDOWN || !IsNavigationKey(message.wParam)) {
        return;
    }
    g_focusCuesShown = true;
    if (HWND focus = ::GetFocus()) {
        // Tell the windows as the system does, and repaint the focused control with its cue.
        ::SendMessageW(::GetAncestor(focus, GA_ROOT), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        ::InvalidateRect(focus, nullptr, TRUE);
    }
}

void DrawFocusCue(HWND control, HDC dc, const RECT& area) {
    if (!g_focusCuesShown || control == nullptr || ::GetFocus() != control) {
        return;
    }
    RECT cue = area;
    ::InflateRect(&cue, -2, -2);
    if (cue.right > cue.left && cue.bottom > cue.top) {
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, RGB(255, 255, 255));
        ::DrawFocusRect(dc, &cue);
    }
}

CControl::~CControl() {
    Detach();
}

bool CControl::Attach(HWND hwnd) {
    if (hwnd == nullptr || m_hwnd != nullptr) {
        return false;
    }
    if (!::SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    m_hwnd = hwnd;
    return true;
}

void CControl::Detach() {
    if (m_hwnd != nullptr) {
        ::RemoveWindowSubclass(m_hwnd, SubclassProc, kSubclassId);
        m_hwnd = nullptr;
    }
}

bool CControl::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND control = nullptr;
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item != nullptr && item->CtlType != ODT_MENU) {
            control = item->hwndItem;
        }
    } else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        control = reinterpret_cast<HWND>(lParam);
    }
    if (control == nullptr) {
        return false;
    }
    result = ::SendMessageW(control, kReflectBase + message, wParam, lParam);
    return result != 0;
}

bool CControl::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message == kReflectBase + WM_DRAWITEM) {
        result = DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
        return true;
    }
    return false;
}

bool CControl::DrawItem(const DRAWITEMSTRUCT&) {
    return false;
}

LRESULT CControl::Default() {
    return ::DefSubclassProc(m_hwnd, m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CALLBACK CControl::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
    auto* self = reinterpret_cast<CControl*>(data);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        self->m_hwnd = nullptr;
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    const Message saved = self->m_current;
    self->m_current = {message, wParam, lParam};
    LRESULT result = 0;
    // A handler that throws leaves the message to the control's own processing.
    const bool handled = GuardCallback(
        message, [&] { return self->OnMessage(message, wParam, lParam, result); }, [] { return false; });
    self->m_current = saved;
    return handled ? result : ::DefSubclassProc(hwnd, message, wParam, lParam);
}
