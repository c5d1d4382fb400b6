// The about box of the frame's system menu: icon, program name and version, and an OK button.
#pragma once

#include "framework/Dialog.h"
#include "resources/resource.h"

class CAboutDlg : public CDialog {
public:
    static constexpr int kTemplateId = IDD_ABOUTBOX;

    explicit CAboutDlg(HWND owner) : CDialog(kTemplateId, owner) {}
};
