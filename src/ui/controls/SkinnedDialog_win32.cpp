// Skinned dialog base.
#include "ui/controls/SkinnedDialog.h"

#include "base/WindowMessages.h"

namespace {

// A button Enter presses: a push or owner-drawn button that is shown and enabled (not a check box).
bool IsPressableButton(HWND control) {
    wchar_t className[16] = {};
    if (control == nullptr || !::IsWindowVisible(control) || !::IsWindowEnabled(control) ||
        ::GetClassNameW(control, className, 16) == 0 || ::lstrcmpiW(className, L"Button") != 0) {
        return false;
    }
    const LONG type = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

} // namespace

bool CSkinnedDialog::PreTranslateMessage(MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        OnEscapeKey();
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        HWND focus = ::GetFocus();
        if (IsPressableButton(focus)) {
            if (::SendMessageW(focus, kMsgPressByKeyboard, 0, 0) == 0) {
                ::SendMessageW(::GetParent(focus), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(focus), BN_CLICKED),
                               reinterpret_cast<LPARAM>(focus));
            }
            return true;
        }
        const LRESULT wanted =
            focus != nullptr ? ::SendMessageW(focus, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&message)) : 0;
        if (!(wanted & DLGC_WANTMESSAGE)) {
            return true;
        }
    }
    return CDialog::PreTranslateMessage(message);
}

void CSkinnedDialog::FocusWhenActive(HWND control) {
    m_pendingFocus = control;
    ::PostMessageW(m_hwnd, kMsgApplyFocus, 0, 0);
}

void CSkinnedDialog::ApplyPendingFocus() {
    HWND root = ::GetAncestor(m_hwnd, GA_ROOT);
    if (m_pendingFocus == nullptr || !::IsWindowEnabled(root) || ::GetActiveWindow() != root ||
        !::IsWindowVisible(m_pendingFocus) || !::IsWindowEnabled(m_pendingFocus)) {
        return;
    }
    ::SetFocus(m_pendingFocus);
    m_pendingFocus = nullptr;
}

bool CSkinnedDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == kMsgApplyFocus) {
        ApplyPendingFocus();
        result = 0;
        return true;
    }
    if (message == WM_ACTIVATE && m_pendingFocus != nullptr && LOWORD(wParam) != WA_INACTIVE) {
        ::PostMessageW(m_hwnd, kMsgApplyFocus, 0, 0);
    }
    if (message == WM_WINDOWPOSCHANGED && m_content != nullptr) {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((position->flags & SWP_SHOWWINDOW) || !(position->flags & SWP_NOZORDER)) {
            ::PostMessageW(m_hwnd, kMsgRaiseContent, 0, 0);
        }
        // Not handled: the default processing still turns the change into WM_MOVE and WM_SIZE.
    } else if (message == WM_MOUSEACTIVATE && m_content != nullptr) {
        // A frame is only the picture around its content: a click on it activates the content instead. Activated
        // itself, the frame would be stacked over the content where no window manager keeps owned windows above
        // their owner (Wine on a bare X display), hiding it and taking its clicks.
        if (::IsWindow(m_content) && ::IsWindowVisible(m_content) && ::IsWindowEnabled(m_content)) {
            ::SetActiveWindow(m_content);
        }
        result = MA_NOACTIVATE;
        return true;
    } else if (message == kMsgRaiseContent) {
        if (m_content != nullptr && ::IsWindow(m_content) && ::IsWindowVisible(m_content)) {
            ::SetWindowPos(m_content, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            if (::GetActiveWindow() == m_hwnd) {
                ::SetActiveWindow(m_content);
            }
        }
        result = 0;
        return true;
    }
    return CDialog::OnMessage(message, wParam, lParam, result);
}
