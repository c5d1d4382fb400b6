// The progress window's frame: a layered window with the shadowed picture, run modally while a worker thread
// runs; message 0x5F5 (kMsgWorkFinished) stops the dots and ends it.
//
//   auto progress = std::make_unique<CExecutePromptDlg>(page);
//   progress->SetText(L"正在检测驱动，请稍等"); progress->SetScale(s);
//   progress->DoModal();                 // returns once the worker's 0x5F5 was forwarded to it
#pragma once

#include "ui/FramePopupDlg.h"

#include <string>
#include <string_view>

class CExecutePromptDlg : public CFramePopupDlg {
public:
    explicit CExecutePromptDlg(HWND owner = nullptr);
    ~CExecutePromptDlg() override;

    void SetText(std::wstring_view text) { m_text = text; }
    const std::wstring& Text() const { return m_text; }
    // Work that is safe to stop (a scan): Esc or Alt+F4 asks `question` and calls `stop` on 是.
    using StopHandler = void (*)();
    void SetStopHandler(StopHandler stop, std::wstring_view question) {
        m_stop = stop;
        m_stopQuestion = question;
    }

protected:
    int FramePictureId() const override;
    Rect ContentRect(const Rect& frameWindow) const override;
    Rect ContentFollowRect(const Rect& frameWindow) const override;

    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Only the worker's 0x5F5 ends the window. A system close (Alt+F4) or Esc is ignored, unless the work can be
    // stopped: then the user is asked, and the stop handler runs on 是 (the worker then ends and reports).
    bool OnClose() override;

private:
    std::wstring m_text;
    StopHandler m_stop = nullptr;
    std::wstring m_stopQuestion;
    bool m_asking = false;
};
