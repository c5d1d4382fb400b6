// The problem-solved feedback window's content: the question picture, the close cross, the three large buttons
// ("解决", "未解决", "更多方案") that answer only inside their hot areas, and the top strip by which the user drags
// the window. Answers are reported through the feedback bridge.
#pragma once

#include "ui/ContentDlg.h"
#include "ui/controls/ImageButton.h"
#include "ui/controls/PngButton.h"

class CProblemSolvingFeedbackDlg;
class FeedbackBridge;
enum class FeedbackChoice : int;

class CProblemSolvingFeedbackChildDlg : public CContentDlg {
public:
    explicit CProblemSolvingFeedbackChildDlg(CProblemSolvingFeedbackDlg& frame);

    void SetBridge(const FeedbackBridge* bridge) { m_bridge = bridge; }

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    void SetUpControls() override;
    void PlaceControls() override;
    std::optional<Rect> DragStrip(const Rect& clientOnScreen) const override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnClose() override;
    void OnDestroy() override;

private:
    // Reports the answer (when a bridge is set) and closes the window.
    void Answer(FeedbackChoice choice);

    CPngButton m_close;
    CImageButton m_solved;
    CImageButton m_notSolved;
    CImageButton m_moreSolutions;
    const FeedbackBridge* m_bridge = nullptr;
};
