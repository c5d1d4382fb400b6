// A dialog made from a resource template and driven by a C++ object, in place of the application framework's
// dialog class.
//
// How to write one:
//   class CMyDlg : public CDialog {
//   public:
//       CMyDlg(HWND parent) : CDialog(kIdTemplate, parent) {}
//   protected:
//       void BindControls() override { Bind(m_button, 1007); }           // controls by id
//       BOOL OnInitDialog() override { ...; return TRUE; }
//       bool OnCommand(int id, int code, HWND control) override { ... }   // typed hooks, or
//       bool OnMessage(UINT m, WPARAM w, LPARAM l, LRESULT& r) override { // any message:
//           if (m == kMyMessage) { r = 0; return true; }
//           return CDialog::OnMessage(m, w, l, r);
//       }
//   };
//   CMyDlg dlg(owner); INT_PTR answer = dlg.DoModal();     // or dlg.Create(kIdTemplate, parent) for modeless
//
// The object owns its window: destroying the object destroys the window (without calling the hooks of a class
// already destroyed, so destroy the window first - DestroyWindow() - when its OnDestroy must run). A handled
// message returns its answer through DWLP_MSGRESULT, except the messages whose answer the dialog procedure
// returns directly (WM_CTLCOLOR*, WM_INITDIALOG, ...). WM_DRAWITEM and WM_CTLCOLOR* are reflected to the
// control they concern when that control is a CControl.
#pragma once

#include "framework/Control.h"

class CDialog : public CWindow {
public:
    CDialog(int templateId, HWND parent);
    ~CDialog() override;

    // Runs the dialog modally in a loop of its own, so that PreTranslateMessage sees every message; returns
    // the EndDialog result, or -1 when the dialog could not be created.
    INT_PTR DoModal();
    // Creates the dialog modeless from a template, as an owned pop-up or a child of parent.
    bool Create(int templateId, HWND parent);
    void DestroyWindow();
    void EndDialog(INT_PTR result);
    [[nodiscard]] bool IsModal() const { return m_modal; }

    // Called for every message the loop of a modal dialog or of the application takes from the queue, for the
    // window it is addressed to and each window up its parent/owner chain; true swallows the message.
    virtual bool PreTranslateMessage(MSG& message);

    // The dialog (of this framework) that owns a window handle, if any.
    [[nodiscard]] static CDialog* FromHandle(HWND hwnd);
    // Offers a queued message to PreTranslateMessage of its window and the windows above it (past dialogs that are
    // controls of their parent, DS_CONTROL).
    [[nodiscard]] static bool PreTranslateChain(MSG& message);

protected:
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    virtual void BindControls() {}
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual bool OnCommand(int id, int code, HWND control);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual bool OnClose();
    virtual bool OnTimer(UINT_PTR id);
    virtual void OnSize(UINT type, int width, int height);
    virtual void OnMove(int x, int y);
    virtual void OnDestroy() {}
    virtual bool OnEraseBackground(HDC dc);
    virtual bool OnNcHitTest(Point screen, LRESULT& hit);
    virtual bool OnNotify(const NMHDR& header, LRESULT& result);
    virtual bool OnLButtonDown(UINT flags, Point client);
    // Where the automatic centring puts a modal dialog: over its owner (when that is shown), or, when this
    // answers true, always over the work area of the screen.
    virtual bool CentresOnScreen() const { return false; }

    bool Bind(CControl& control, int id) { return control.Attach(GetDlgItem(id)); }
    // The default window processing of the message being handled (e.g. the default hit-test answer).
    LRESULT Default();
    HWND Parent() const { return m_parent; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateWindowFromTemplate(HWND owner);
    void RunModalLoop();
    void CentreAfterInit(const RECT& before, bool visibleBefore);

    int m_templateId;
    HWND m_parent;
    bool m_modal = false;
    bool m_endRequested = false;
    INT_PTR m_result = -1;
    MSG m_current{};
};
