// Base of the self-painting controls (the two-colour text, the waiting text, the check box): the whole face is
// painted into an off-screen picture, kept between paints and made anew when the size changes, and copied out
// at once, for WM_PAINT and WM_PRINTCLIENT alike, so the face never shows half painted. The background is not
// erased apart, and after a new text or enabled state, which the standard control draws itself at once, the
// face is painted over straight away.
#pragma once

#include "framework/Control.h"
#include "framework/GdiObjects.h"

#include <memory>

// Default processing of a message after which the standard control draws itself directly; the skinned control
// then paints over it at once.
inline LRESULT DefaultThenRepaint(HWND hwnd, LRESULT defaultResult) {
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return defaultResult;
}

// `Control` is the standard control kind the subclass stays (CStatic, CButton).
template <typename Control> class CDoubleBufferedControl : public Control {
protected:
    // Paints the whole face into `dc`, an off-screen picture of the client area's size.
    virtual void DoPaint(HDC dc) = 0;

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
        case WM_PAINT: {
            CPaintDc paint(this->m_hwnd);
            PaintInto(paint.Get());
            result = 0;
            return true;
        }
        case WM_PRINTCLIENT:
            PaintInto(reinterpret_cast<HDC>(wParam));
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_SETTEXT:
        case WM_ENABLE:
            result = DefaultThenRepaint(this->m_hwnd, this->Default());
            return true;
        default:
            return Control::OnMessage(message, wParam, lParam, result);
        }
    }

private:
    void PaintInto(HDC target) {
        const Rect client = this->ClientRect();
        if (!m_picture || !m_picture->Valid() || m_picture->Width() != client.Width() ||
            m_picture->Height() != client.Height()) {
            m_picture = std::make_unique<CMemoryDc>(target, client.Width(), client.Height());
        }
        if (m_picture->Valid()) {
            DoPaint(m_picture->Dc());
            m_picture->CopyTo(target);
        }
    }

    std::unique_ptr<CMemoryDc> m_picture;
};
