// The problem-solved feedback window's content: the question picture, the close cross, the three large buttons
// ("解决", "未解决", "更多方案") that answer only inside their hot areas, and the top strip by which the user drags
// the window. Answers are reported through the feedback bridge.
#pragma once

#include "ui/controls/ImageButton.h"
#include "ui/controls/PngButton.h"
#include "ui/controls/PngImage.h"
#include "ui/controls/SkinnedDialog.h"

class CProblemSolvingFeedbackDlg;
class FeedbackBridge;
enum class FeedbackChoice : int;

class CProblemSolvingFeedbackChildDlg : public CSkinnedDialog {
public:
    explicit CProblemSolvingFeedbackChildDlg(CProblemSolvingFeedbackDlg& frame);

    void SetBridge(const FeedbackBridge* bridge) { m_bridge = bridge; }

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnClose() override;
    void OnSize(UINT type, int width, int height) override;
    void OnMove(int x, int y) override;
    void OnDestroy() override;
    bool OnEraseBackground(HDC dc) override;
    bool OnNcHitTest(Point screen, LRESULT& hit) override;

private:
    void LayOut(bool first);
    // Reports the answer (when a bridge is set) and closes the window.
    void Answer(FeedbackChoice choice);

    CProblemSolvingFeedbackDlg& m_frame;
    int m_laidOut = 0;
    CPngButton m_close;
    CImageButton m_solved;
    CImageButton m_notSolved;
    CImageButton m_moreSolutions;
    int m_dragging = 0;
    PngSlot m_background;
    const FeedbackBridge* m_bridge = nullptr;
};
