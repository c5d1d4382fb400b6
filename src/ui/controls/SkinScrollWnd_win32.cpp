// The frame of a control with skinned scroll bars: wrapping, mirroring, forwarding and unwrapping.
#include "ui/controls/SkinScrollWnd.h"

#include "framework/CallbackGuard.h"

#include <commctrl.h>

#include <utility>

namespace {

constexpr wchar_t kFrameClass[] = L"TolvikSkinScrollFrame";
constexpr UINT_PTR kMirrorTimer = 100; // the control's scroll state is looked at every 500 ms as well
constexpr UINT kMirrorMs = 500;
constexpr UINT_PTR kSubclassId = 0x5343; // one wrapping per control

// One class for the frame and its clipping window; the procedure tells them apart.
bool RegisterFrameClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = procedure;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kFrameClass;
        return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

Rect WindowRectIn(HWND hwnd, HWND parent) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return ToRect(r);
}

bool HasStyle(HWND hwnd, DWORD style) {
    return (static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)) & style) != 0;
}

bool HasExStyle(HWND hwnd, DWORD style) {
    return (static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE)) & style) != 0;
}

void ChangeStyle(HWND hwnd, int which, DWORD remove, DWORD add) {
    const auto style = static_cast<DWORD>(::GetWindowLongW(hwnd, which));
    ::SetWindowLongW(hwnd, which, static_cast<LONG>((style & ~remove) | add));
}

} // namespace

CSkinScrollWnd::~CSkinScrollWnd() = default;

CSkinScrollWnd* CSkinScrollWnd::FromControl(HWND control) {
    DWORD_PTR data = 0;
    if (control == nullptr || !::GetWindowSubclass(control, ControlProc, kSubclassId, &data)) {
        return nullptr;
    }
    return reinterpret_cast<CSkinScrollWnd*>(data);
}

CSkinScrollWnd* SkinWndScroll(HWND control, HBITMAP skin, float scale, int capSize) {
    if (control == nullptr || !::IsWindow(control) || !HasStyle(control, WS_CHILD) || ::GetParent(control) == nullptr ||
        CSkinScrollWnd::FromControl(control) != nullptr) {
        return nullptr;
    }
    BITMAP info{};
    if (skin == nullptr || ::GetObjectW(skin, sizeof(info), &info) == 0 || info.bmWidth < 9 || info.bmHeight < 3) {
        return nullptr;
    }
    // From CreateFrame on, the frame window owns the object: destroying the window deletes it.
    auto* frame = new CSkinScrollWnd;
    if (!frame->CreateFrame(control, skin, scale, capSize)) {
        if (frame->m_hwnd != nullptr) {
            ::DestroyWindow(frame->m_hwnd);
        } else {
            delete frame;
        }
        return nullptr;
    }
    frame->TakeControl(control);
    return frame;
}

bool UnskinWndScroll(HWND control) {
    CSkinScrollWnd* frame = CSkinScrollWnd::FromControl(control);
    if (frame == nullptr) {
        return false;
    }
    frame->GiveBackControl(true);
    return true;
}

bool CSkinScrollWnd::CreateFrame(HWND control, HBITMAP skin, float scale, int capSize) {
    m_skin.Reset(static_cast<HBITMAP>(::CopyImage(skin, IMAGE_BITMAP, 0, 0, 0)));
    BITMAP info{};
    if (!m_skin || ::GetObjectW(m_skin.Get(), sizeof(info), &info) == 0 || !RegisterFrameClass(FrameProc)) {
        return false;
    }
    m_scale = scale;
    m_capSize = capSize;
    m_thickness = BarThickness(info.bmWidth / 9, scale);

    HWND parent = ::GetParent(control);
    const Rect place = WindowRectIn(control, parent);
    // The frame takes over the control's border; the client edge is left off, the skin replaces it.
    DWORD style = WS_CHILD | WS_CLIPCHILDREN;
    style |= HasStyle(control, WS_VISIBLE) ? WS_VISIBLE : 0;
    style |= HasStyle(control, WS_BORDER) ? WS_BORDER : 0;
    DWORD exStyle = WS_EX_CONTROLPARENT; // the dialog's keyboard navigation reaches the control inside
    if (HasExStyle(control, WS_EX_TOOLWINDOW)) {
        exStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    }
    const int id = ::GetDlgCtrlID(control);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::CreateWindowExW(exStyle, kFrameClass, L"SkinScrollBarFrame", style, place.left, place.top, place.Width(),
                          place.Height(), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                          this) == nullptr) {
        return false;
    }
    // The frame takes the control's place in the tab order.
    ::SetWindowPos(m_hwnd, control, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_limit =
        ::CreateWindowExW(WS_EX_CONTROLPARENT, kFrameClass, L"LIMIT", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                          0, m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLimitId)), instance, this);
    if (m_limit == nullptr || !m_horizontal.Create(m_hwnd, kHorizontalBarId, false) ||
        !m_vertical.Create(m_hwnd, kVerticalBarId, true)) {
        return false;
    }
    for (CSkinScrollBar* bar : {&m_horizontal, &m_vertical}) {
        bar->SetScale(m_scale);
        bar->SetCapSize(m_capSize);
        bar->SetBitmap(m_skin.Get());
    }
    return true;
}

void CSkinScrollWnd::TakeControl(HWND control) {
    m_tookBorder = HasStyle(control, WS_BORDER);
    m_tookClientEdge = HasExStyle(control, WS_EX_CLIENTEDGE);
    ChangeStyle(control, GWL_STYLE, WS_BORDER, 0);
    ChangeStyle(control, GWL_EXSTYLE, WS_EX_CLIENTEDGE, 0);
    ::SetParent(control, m_limit);
    m_control = control;
    ::SetWindowSubclass(control, ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    // The control fills the frame; the frame change makes it compute its client area (and so the skinned bars)
    // anew even when its size stays the same.
    const Size size = FrameClientSize();
    ::SetWindowPos(control, nullptr, 0, 0, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    PlaceControl();
    MirrorScrollState();
    ::SetTimer(m_hwnd, kMirrorTimer, kMirrorMs, nullptr);
}

void CSkinScrollWnd::GiveBackControl(bool restoreLook) {
    HWND control = m_control;
    HWND frame = m_hwnd;
    HWND parent = ::GetParent(frame);
    const Rect place = WindowRectIn(frame, parent);
    ::RemoveWindowSubclass(control, ControlProc, kSubclassId);
    m_control = nullptr;
    ::SetParent(control, parent);
    UINT flags = SWP_NOACTIVATE;
    HWND after = frame; // the control takes the frame's place in the tab order
    if (restoreLook) {
        ChangeStyle(control, GWL_STYLE, 0, m_tookBorder ? WS_BORDER : 0);
        ChangeStyle(control, GWL_EXSTYLE, 0, m_tookClientEdge ? WS_EX_CLIENTEDGE : 0);
        flags |= SWP_FRAMECHANGED;
    } else {
        flags |= SWP_NOZORDER;
        after = nullptr;
    }
    ::SetWindowPos(control, after, place.left, place.top, place.Width(), place.Height(), flags);
    ::DestroyWindow(frame); // deletes this object
}

Size CSkinScrollWnd::FrameClientSize() const {
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    return {client.right, client.bottom};
}

LRESULT CALLBACK CSkinScrollWnd::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardCallback(
        message, [&] { return DispatchFrameMessage(hwnd, message, wParam, lParam); },
        [&] { return ::DefWindowProcW(hwnd, message, wParam, lParam); });
}

LRESULT CSkinScrollWnd::DispatchFrameMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<CSkinScrollWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self->m_hwnd == nullptr) {
            self->m_hwnd = hwnd;
        }
    }
    auto* self = reinterpret_cast<CSkinScrollWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (hwnd != self->m_hwnd) {
        return self->OnLimitMessage(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self->m_control != nullptr) {
            ::RemoveWindowSubclass(self->m_control, ControlProc, kSubclassId);
        }
        delete self;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->OnFrameMessage(message, wParam, lParam);
}

LRESULT CSkinScrollWnd::OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kMsgPlaceControl:
        PlaceControl();
        return 0;
    case WM_SIZE:
        if (LOWORD(lParam) > 0 && HIWORD(lParam) > 0 && m_limit != nullptr && m_control != nullptr) {
            ::SetWindowPos(m_control, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            PlaceControl();
        }
        return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
        ForwardScroll(message, wParam, reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == kMirrorTimer) {
            MirrorScrollState();
            return 0;
        }
        break;
    case WM_PAINT: {
        CPaintDc paint(m_hwnd);
        if (paint.Get() != nullptr) {
            PaintCorner(paint.Get());
        }
        return 0;
    }
    case WM_SETFOCUS:
        if (m_control != nullptr) {
            ::SetFocus(m_control);
        }
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // The wheel over a bar scrolls the control; a wheel the control passed up goes on to the parent.
        if (m_control != nullptr && !m_forwardingWheel) {
            m_forwardingWheel = true;
            const LRESULT result = ::SendMessageW(m_control, message, wParam, lParam);
            m_forwardingWheel = false;
            return result;
        }
        break;
    case WM_DESTROY:
        m_destroying = true;
        ::KillTimer(m_hwnd, kMirrorTimer);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CSkinScrollWnd::OnLimitMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The control's notifications and colour questions still reach the window that placed it.
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
        if (m_hwnd != nullptr && ::GetParent(m_hwnd) != nullptr) {
            return ::SendMessageW(::GetParent(m_hwnd), message, wParam, lParam);
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CSkinScrollWnd::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data) {
    auto* self = reinterpret_cast<CSkinScrollWnd*>(data);
    return GuardCallback(
        message, [&] { return self->OnControlMessage(hwnd, message, wParam, lParam); },
        [&] { return ::DefSubclassProc(hwnd, message, wParam, lParam); });
}

LRESULT CSkinScrollWnd::OnControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        return OnControlDestroy(hwnd, wParam, lParam);
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hwnd, ControlProc, kSubclassId);
        m_control = nullptr;
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    case WM_NCCALCSIZE:
        return OnControlNcCalcSize(hwnd, wParam, lParam);
    default:
        break;
    }
    const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
    // Whatever the control just did may have scrolled it (keys, wheel, selection, new text): the bars follow at
    // once. The control may have been unwrapped meanwhile (WM_CLOSE destroys it), so look before touching the
    // frame.
    if (CSkinScrollWnd::FromControl(hwnd) == this && !m_updating && !m_destroying) {
        MirrorScrollState();
    }
    return result;
}

LRESULT CSkinScrollWnd::OnControlDestroy(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (m_destroying) {
        // The frame goes with its parent and takes the control along; only the subclass is undone.
        ::RemoveWindowSubclass(hwnd, ControlProc, kSubclassId);
        m_control = nullptr;
    } else {
        // The control goes alone: it leaves the frame first, so that removing the frame does not destroy it a
        // second time.
        GiveBackControl(false);
    }
    return ::DefSubclassProc(hwnd, WM_DESTROY, wParam, lParam);
}

LRESULT CSkinScrollWnd::OnControlNcCalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (wParam == 0) {
        return ::DefSubclassProc(hwnd, WM_NCCALCSIZE, wParam, lParam);
    }
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    const Rect window = ToRect(params->rgrc[0]);
    const LRESULT result = ::DefSubclassProc(hwnd, WM_NCCALCSIZE, wParam, lParam);

    const bool vertical = HasStyle(hwnd, WS_VSCROLL);
    const bool horizontal = HasStyle(hwnd, WS_HSCROLL);
    const bool left = HasExStyle(hwnd, WS_EX_LEFTSCROLLBAR);
    const Rect client = ToRect(params->rgrc[0]).Offset(-window.left, -window.top);
    const SkinnedBarsPlacement placement =
        PlaceSkinnedBars(client, {window.Width(), window.Height()}, vertical, horizontal, left, m_thickness,
                         ::GetSystemMetrics(SM_CXVSCROLL), ::GetSystemMetrics(SM_CYHSCROLL));
    params->rgrc[0] = ToRECT(placement.client.Offset(window.left, window.top));

    // The control sits at the frame's top-left corner, so its window coordinates are the frame's.
    const std::pair<CSkinScrollBar*, Rect> bars[] = {{&m_vertical, placement.vertical},
                                                     {&m_horizontal, placement.horizontal}};
    for (const auto& [bar, place] : bars) {
        if (place.Width() > 0 && place.Height() > 0) {
            ::SetWindowPos(bar->Hwnd(), nullptr, place.left, place.top, place.Width(), place.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        } else {
            ::ShowWindow(bar->Hwnd(), SW_HIDE);
        }
    }
    if (m_cornerKind != placement.cornerKind) {
        m_cornerKind = placement.cornerKind;
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
    }
    if (!m_updating) {
        ::PostMessageW(m_hwnd, kMsgPlaceControl, vertical ? 1 : 0, left ? 1 : 0);
    }
    return result;
}

void CSkinScrollWnd::PlaceControl() {
    if (m_limit == nullptr || m_control == nullptr) {
        return;
    }
    m_updating = true;
    const Rect clip =
        ClipRect(FrameClientSize(), HasStyle(m_vertical.Hwnd(), WS_VISIBLE), HasStyle(m_horizontal.Hwnd(), WS_VISIBLE),
                 HasExStyle(m_control, WS_EX_LEFTSCROLLBAR), m_thickness);
    ::SetWindowPos(m_limit, nullptr, clip.left, clip.top, clip.Width(), clip.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(m_control, nullptr, -clip.left, -clip.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_updating = false;
}

void CSkinScrollWnd::ForwardScroll(UINT message, WPARAM wParam, HWND barHwnd) {
    CSkinScrollBar* bar = barHwnd == m_vertical.Hwnd()     ? &m_vertical
                          : barHwnd == m_horizontal.Hwnd() ? &m_horizontal
                                                           : nullptr;
    if (bar == nullptr || m_control == nullptr) {
        return;
    }
    const int which = bar == &m_vertical ? SB_VERT : SB_HORZ;
    const int code = LOWORD(wParam);
    m_updating = true;
    ::SendMessageW(m_control, message, wParam, 0);
    m_updating = false;
    if (code != SB_THUMBTRACK && m_control != nullptr) {
        MirrorBar(*bar, which);
    }
}

void CSkinScrollWnd::MirrorScrollState() {
    if (m_control == nullptr) {
        return;
    }
    MirrorBar(m_vertical, SB_VERT);
    MirrorBar(m_horizontal, SB_HORZ);
}

void CSkinScrollWnd::MirrorBar(CSkinScrollBar& bar, int which) {
    if (bar.Hwnd() == nullptr || !HasStyle(bar.Hwnd(), WS_VISIBLE) || bar.IsDragging()) {
        return;
    }
    SCROLLINFO own{};
    own.cbSize = sizeof(own);
    own.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (!::GetScrollInfo(m_control, which, &own)) {
        return;
    }
    const ScrollValues& shown = bar.Values();
    if (own.nMin != shown.min || own.nMax != shown.max || own.nPos != shown.pos ||
        static_cast<int>(own.nPage) != shown.page) {
        own.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        ::SendMessageW(bar.Hwnd(), SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&own));
    }
    // The control's own bar may be disabled with a stale range (a rich-edit box whose text fits keeps its old
    // range): its enabled state counts as well as the range.
    SCROLLBARINFO state{};
    state.cbSize = sizeof(state);
    // Both arrows disabled (EnableScrollBar with ESB_DISABLE_BOTH) disables the bar.
    bool ownEnabled = true;
    if (::GetScrollBarInfo(m_control, which == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &state)) {
        const auto unavailable = [&](int part) { return (state.rgstate[part] & STATE_SYSTEM_UNAVAILABLE) != 0; };
        ownEnabled = !unavailable(0) && !(unavailable(1) && unavailable(5));
    }
    const bool scrollable = ownEnabled && ScrollSpan(bar.Values()) > 0;
    if (bar.IsEnabled() != scrollable) {
        bar.EnableWindow(scrollable);
    }
}

void CSkinScrollWnd::PaintCorner(HDC dc) {
    const Rect corner = CornerRect(FrameClientSize(), m_cornerKind, m_thickness);
    if (corner.Width() <= 0 || !m_skin) {
        return;
    }
    CSourceDc skin(dc, m_skin.Get());
    if (skin.Get() == nullptr) {
        return;
    }
    const int cell = m_vertical.CellSize();
    const Rect source = SkinCell(cell, kCornerColumn, m_cornerKind == 2 ? kRowNormal : kRowHover);
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, corner.left, corner.top, corner.Width(), corner.Height(), skin.Get(), source.left, source.top,
                 source.Width(), source.Height(), SRCCOPY);
}
