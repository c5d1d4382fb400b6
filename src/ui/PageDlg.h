// Base of the two pages of the main window: a content over the page area that works on the main window's
// inventory through a worker thread and waits for it in the progress window. The worker's 0x5F5 closes the
// progress window; its result follows as the page's own result message. A page never closes itself: the main
// window owns it for the whole run.
#pragma once

#include "ui/ContentDlg.h"
#include "ui/ExecutePromptDlg.h"

#include <memory>
#include <string_view>

class DriverInventory;

class CPageDlg : public CContentDlg {
public:
    CPageDlg(int templateId, HWND parent, int backgroundId);
    ~CPageDlg() override;

    // The main window's inventory (not owned); set before Create.
    void SetInventory(DriverInventory* inventory) { m_inventory = inventory; }
    DriverInventory* Inventory() const { return m_inventory; }

protected:
    // The message by which this page's worker reports (wParam kResultSuccess or kResultFailure), and its answer.
    virtual UINT WorkResultMessage() const = 0;
    virtual void OnWorkResult(WPARAM result) = 0;

    // Runs the progress window with `text` until the worker's 0x5F5 closes it (see RunProgressWindow).
    void WaitForWorker(std::wstring_view text, CExecutePromptDlg::StopHandler stop = nullptr,
                       std::wstring_view stopQuestion = {});
    // Whether the progress window is up.
    bool IsWaiting() const;

    void OnOK() override {}
    void OnCancel() override {}
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Lets the background and the progress window go; a subclass that overrides it calls it last.
    void OnDestroy() override;

    DriverInventory* m_inventory = nullptr;

private:
    std::unique_ptr<CExecutePromptDlg> m_progress;
};
