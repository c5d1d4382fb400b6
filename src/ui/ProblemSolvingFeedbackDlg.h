// The problem-solved feedback window's frame: a modal layered window with the shadowed picture, carrying the
// content window (CProblemSolvingFeedbackChildDlg) with the question and its four buttons. It works out its scale
// factor from the screen itself. Shown once when the tool closes:
//
//   CProblemSolvingFeedbackDlg feedback;        // no owner
//   feedback.SetBridge(&bridge);                // the main window's feedback bridge; null reports nothing
//   feedback.DoModal();                         // ends when the user answered or closed it
//
// "解决", "未解决" and the close cross report choice 1, 2 or 3 with the moment of the answer, then close the window;
// "更多方案" opens the knowledge base and leaves the window open. When the window cannot show itself (its
// picture or its content cannot be made), DoModal returns IDCANCEL at once and nothing is reported.
#pragma once

#include "ui/FramePopupDlg.h"

class FeedbackBridge;

class CProblemSolvingFeedbackDlg : public CFramePopupDlg {
public:
    explicit CProblemSolvingFeedbackDlg(HWND owner = nullptr);
    ~CProblemSolvingFeedbackDlg() override;

    void SetBridge(const FeedbackBridge* bridge) { m_bridge = bridge; }

protected:
    int FramePictureId() const override;
    Rect ContentRect(const Rect& frameWindow) const override;
    Rect ContentFollowRect(const Rect& frameWindow) const override;
    Rect FrameFollowRect(const Rect& contentWindow) const override;

    BOOL OnInitDialog() override;
    // The question belongs to no window of the tool: it stands in the middle of the screen, wherever the user
    // has dragged the main window.
    bool CentresOnScreen() const override { return true; }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    const FeedbackBridge* m_bridge = nullptr;
};
