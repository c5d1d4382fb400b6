// The frame: a layered pop-up that shows only the soft-shadowed border picture, scaled to the screen's dots
// per inch, and carries the main window over its inner area. It runs the program's modal loop; closing it ends
// the program: the user is asked whether the problem was solved, the windows go, and the tool removes its own
// files once the process has ended.
#pragma once

#include "resources/resource.h"
#include "ui/FramePopupDlg.h"

class CDriverUninstallToolDlg;

// The main window always leads: wherever it goes, it brings the frame around it.
class CTolvikDriverUninstallToolDlg : public CFramePopupDlg {
public:
    static constexpr int kTemplateId = IDD_TOLVIKDRIVERUNINSTALLTOOL_DIALOG;

    CTolvikDriverUninstallToolDlg();
    ~CTolvikDriverUninstallToolDlg() override;

    CDriverUninstallToolDlg* MainDialog() const;

protected:
    int FramePictureId() const override;
    Rect ContentRect(const Rect& frameWindow) const override;

    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnClose() override;
    void OnDestroy() override;

private:
    void AddAboutItem();
    bool PaintIcon();

    HICON m_icon;
    bool m_closedByUser = false; // only an ordinary close removes the tool
};
