// Base of every skinned window: it carries the scale factor and swallows Enter and Escape, so that no skinned
// window closes or presses a button by keyboard.
#pragma once

#include "framework/Dialog.h"

class CSkinnedDialog : public CDialog {
public:
    using CDialog::CDialog;

    void SetScale(float scale) { m_scale = scale; }
    float Scale() const { return m_scale; }

    bool PreTranslateMessage(MSG& message) override;

protected:
    float m_scale = 1.0f;
};
