// Base of every skinned window: it carries the scale factor and takes Enter and Escape from the dialog manager
// (which would end a skinned window as if by its OK or Cancel button): Enter presses the focused button, or
// goes to a control that asks for it (a link); Escape calls OnEscapeKey of the innermost skinned window, which
// by default does nothing. A frame of a frame-and-content pair names its content window
// with KeepAbove: whenever the frame is shown or raised, the content is put back on top and, when the frame
// was the active window, takes the activation; a click on the frame activates the content (the frame is only a
// picture).
#pragma once

#include "framework/Dialog.h"

class CSkinnedDialog : public CDialog {
public:
    using CDialog::CDialog;

    void SetScale(float scale) { m_scale = scale; }
    [[nodiscard]] float Scale() const { return m_scale; }

    bool PreTranslateMessage(MSG& message) override;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Esc in this window (or a control of it): a prompt answers as its close cross, the agreement window hides.
    virtual void OnEscapeKey() {}
    // Gives the control the focus now when this window is usable, else once it is enabled and active again:
    // an activation restores the focus the window had before (the dialog manager's memory), so a focus chosen
    // while another window was in front must be applied after it.
    void FocusWhenActive(HWND control);
    // Windows keeps owned windows above their owner, but not every window system does (Wine without a window
    // manager stacks an activated frame over its content, whose picture then hides the content and takes its
    // clicks).
    void KeepAbove(HWND content) { m_content = content; }

    float m_scale = 1.0f;

private:
    void ApplyPendingFocus();

    HWND m_content = nullptr;
    HWND m_pendingFocus = nullptr;
};
