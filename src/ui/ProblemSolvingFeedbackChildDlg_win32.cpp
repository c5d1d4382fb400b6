// Problem-solved feedback window content.
#include "ui/ProblemSolvingFeedbackChildDlg.h"

#include "feedback/FeedbackBridge.h"
#include "framework/GdiObjects.h"
#include "resources/resource.h"
#include "ui/ProblemSolvingFeedbackDlg.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/FeedbackLayout.h"

namespace {

void SetBack(CImageButton& button, Gdiplus::Image* back, const Rect& source) {
    button.SetBackImage(back);
    button.SetBackSourceRect(source.left, source.top, source.right, source.bottom);
}

void SetImages(CImageButton& button, const std::array<int, 4>& images) {
    button.SetStateImages(images[0], images[1], images[2], images[3]);
}

void SetHotMargins(CImageButton& button, const Margins& margins) {
    button.SetHotMargins(margins.left, margins.top, margins.right, margins.bottom);
}

} // namespace

CProblemSolvingFeedbackChildDlg::CProblemSolvingFeedbackChildDlg(CProblemSolvingFeedbackDlg& frame)
    : CSkinnedDialog(IDD_FEEDBACK_CHILD, nullptr), m_frame(frame) {}

void CProblemSolvingFeedbackChildDlg::BindControls() {
    Bind(m_close, IDC_FEEDBACK_CLOSE);
    Bind(m_solved, IDC_SOLVED);
    Bind(m_notSolved, IDC_NOT_SOLVED);
    Bind(m_moreSolutions, IDC_MORE_SOLUTIONS);
}

BOOL CProblemSolvingFeedbackChildDlg::OnInitDialog() {
    // Without its picture the content keeps the template's places: the buttons still answer.
    if (EnsurePng(IDP_FEEDBACK_BACKGROUND, m_background)) {
        LayOut(true);
        m_laidOut = 1;
    }
    return TRUE;
}

void CProblemSolvingFeedbackChildDlg::LayOut(bool first) {
    const FeedbackChildLayout layout = LayOutFeedbackChild(ClientRect(), m_scale);
    m_close.SetScale(m_scale);
    if (first) {
        m_close.SetStateImages(kFeedbackCloseImages[0], kFeedbackCloseImages[1], kFeedbackCloseImages[2],
                               kFeedbackCloseImages[3]);
        Gdiplus::Image* back = m_background ? m_background->Get() : nullptr;
        SetBack(m_solved, back, kSolvedBackSource);
        SetBack(m_notSolved, back, kNotSolvedBackSource);
        SetBack(m_moreSolutions, back, kMoreSolutionsBackSource);
        SetImages(m_solved, kSolvedImages);
        SetImages(m_notSolved, kNotSolvedImages);
        SetImages(m_moreSolutions, kMoreSolutionsImages);
    }
    SetHotMargins(m_solved, layout.solved.hot);
    SetHotMargins(m_notSolved, layout.notSolved.hot);
    SetHotMargins(m_moreSolutions, layout.moreSolutions.hot);
    m_close.MoveWindow(layout.close);
    m_solved.MoveWindow(layout.solved.rect);
    m_notSolved.MoveWindow(layout.notSolved.rect);
    m_moreSolutions.MoveWindow(layout.moreSolutions.rect);
}

void CProblemSolvingFeedbackChildDlg::Answer(FeedbackChoice choice) {
    if (m_bridge != nullptr) {
        m_bridge->CustomerFeedbackEx(choice, CurrentFeedbackTimeText());
        m_bridge->FeedbackQuestion();
    }
    ::SendMessageW(m_frame.Hwnd(), WM_CLOSE, 0, 0);
}

bool CProblemSolvingFeedbackChildDlg::OnCommand(int id, int code, HWND control) {
    if (code != BN_CLICKED) {
        return CSkinnedDialog::OnCommand(id, code, control);
    }
    switch (id) {
    case IDC_FEEDBACK_CLOSE:
        Answer(FeedbackChoice::Closed);
        return true;
    case IDC_SOLVED:
        // A click on the transparent rim of the large buttons is no answer; Space or Enter on one is.
        if (m_solved.IsPointerInHotArea() || m_solved.PressedByKeyboard()) {
            Answer(FeedbackChoice::Solved);
        }
        return true;
    case IDC_NOT_SOLVED:
        if (m_notSolved.IsPointerInHotArea() || m_notSolved.PressedByKeyboard()) {
            Answer(FeedbackChoice::NotSolved);
        }
        return true;
    case IDC_MORE_SOLUTIONS:
        if (m_bridge != nullptr) {
            m_bridge->OpenUrl(kKnowledgeBaseHome);
        }
        return true;
    default:
        return CSkinnedDialog::OnCommand(id, code, control);
    }
}

bool CProblemSolvingFeedbackChildDlg::OnClose() {
    // A system close (Alt+F4) on the content closes the window as the close cross does.
    Answer(FeedbackChoice::Closed);
    return true;
}

void CProblemSolvingFeedbackChildDlg::OnSize(UINT, int, int) {
    if (m_laidOut) {
        LayOut(false);
    }
}

void CProblemSolvingFeedbackChildDlg::OnMove(int, int) {
    if (m_dragging) {
        m_frame.FollowContent(WindowRect());
    }
}

void CProblemSolvingFeedbackChildDlg::OnDestroy() {
    m_close.ReleaseImages();
    m_solved.ReleaseImages();
    m_notSolved.ReleaseImages();
    m_moreSolutions.ReleaseImages();
    m_background.reset();
}

bool CProblemSolvingFeedbackChildDlg::OnEraseBackground(HDC dc) {
    if (!EnsurePng(IDP_FEEDBACK_BACKGROUND, m_background)) {
        return true;
    }
    PaintBackgroundPicture(dc, ClientRect(), m_background->Get());
    return true;
}

bool CProblemSolvingFeedbackChildDlg::OnNcHitTest(Point screen, LRESULT& hit) {
    if (FeedbackDragStrip(ClientRectOnScreen()).Contains(screen)) {
        m_dragging = 1;
        hit = HTCAPTION;
    } else {
        m_dragging = 0;
        hit = Default();
    }
    return true;
}
