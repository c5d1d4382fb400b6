// A dialog control subclassed by a C++ object (SetWindowSubclass), with the messages its parent reflects to it,
// so that an owner-drawn or self-painting control draws itself.
#pragma once

#include "base/WindowMessages.h"
#include "framework/Window.h"

class CControl : public CWindow {
public:
    ~CControl() override;

    // Subclasses the control; false when the handle is null or the control is already bound.
    [[nodiscard]] bool Attach(HWND hwnd);
    void Detach();

    // Sends a parent's WM_DRAWITEM / WM_CTLCOLOR* to the control it concerns; true when the control answered.
    [[nodiscard]] static bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // Return true when handled and put the answer in result; false gives the control's own processing.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual bool DrawItem(const DRAWITEMSTRUCT& item);
    // The control's own processing of the message being handled, for handlers that act after it.
    LRESULT Default();

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    struct Message {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    Message m_current;
};

// The two control kinds the skinned controls build on.
class CButton : public CControl {
public:
    [[nodiscard]] int GetCheck() const { return static_cast<int>(::SendMessageW(m_hwnd, BM_GETCHECK, 0, 0)); }
    void SetCheck(int state) const { ::SendMessageW(m_hwnd, BM_SETCHECK, static_cast<WPARAM>(state), 0); }
};

class CStatic : public CControl {};

// Focus cues (the dotted focus rectangle) follow the dialog manager's rule for UISF_HIDEFOCUS: hidden while the
// program is worked with the mouse, shown from the first key that moves or presses (Tab, an arrow, Space, Enter,
// Esc) on. The state is the program's own, so that every window and control follows it alike.
[[nodiscard]] bool FocusCuesShown();
// Turns the cues on when the message is such a key; the control holding the focus repaints with its cue.
void NoteKeyboardUse(const MSG& message);
// Draws the focus rectangle inside `area` when `control` has the focus and the cues are shown.
void DrawFocusCue(HWND control, HDC dc, const RECT& area);
