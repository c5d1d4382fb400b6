// Problem-solved feedback window content.
#include "ui/ProblemSolvingFeedbackChildDlg.h"

#include "feedback/FeedbackBridge.h"
#include "framework/GdiObjects.h"
#include "resources/resource.h"
#include "ui/ControlSetUp.h"
#include "ui/ProblemSolvingFeedbackDlg.h"
#include "ui/layout/FeedbackLayout.h"

namespace {

void SetBack(CImageButton& button, Gdiplus::Image* back, const Rect& source) {
    button.SetBackImage(back);
    SetBackSource(button, source);
}

} // namespace

CProblemSolvingFeedbackChildDlg::CProblemSolvingFeedbackChildDlg(CProblemSolvingFeedbackDlg& frame)
    : CContentDlg(IDD_FEEDBACK_CHILD, nullptr, IDP_FEEDBACK_BACKGROUND, &frame) {}

void CProblemSolvingFeedbackChildDlg::BindControls() {
    Bind(m_close, IDC_FEEDBACK_CLOSE);
    Bind(m_solved, IDC_SOLVED);
    Bind(m_notSolved, IDC_NOT_SOLVED);
    Bind(m_moreSolutions, IDC_MORE_SOLUTIONS);
}

BOOL CProblemSolvingFeedbackChildDlg::OnInitDialog() {
    // Without its picture the content keeps the template's places: the buttons still answer.
    if (EnsureBackground()) {
        LayOutControls();
    }
    return TRUE;
}

void CProblemSolvingFeedbackChildDlg::SetUpControls() {
    m_close.SetScale(m_scale);
    SetStateImages(m_close, kFeedbackCloseImages);
    Gdiplus::Image* back = Background();
    SetBack(m_solved, back, kSolvedBackSource);
    SetBack(m_notSolved, back, kNotSolvedBackSource);
    SetBack(m_moreSolutions, back, kMoreSolutionsBackSource);
    SetStateImages(m_solved, kSolvedImages);
    SetStateImages(m_notSolved, kNotSolvedImages);
    SetStateImages(m_moreSolutions, kMoreSolutionsImages);
}

void CProblemSolvingFeedbackChildDlg::PlaceControls() {
    const FeedbackChildLayout layout = LayOutFeedbackChild(ClientRect(), m_scale);
    SetHotMargins(m_solved, layout.solved.hot);
    SetHotMargins(m_notSolved, layout.notSolved.hot);
    SetHotMargins(m_moreSolutions, layout.moreSolutions.hot);
    m_close.MoveWindow(layout.close);
    m_solved.MoveWindow(layout.solved.rect);
    m_notSolved.MoveWindow(layout.notSolved.rect);
    m_moreSolutions.MoveWindow(layout.moreSolutions.rect);
}

std::optional<Rect> CProblemSolvingFeedbackChildDlg::DragStrip(const Rect& clientOnScreen) const {
    return FeedbackDragStrip(clientOnScreen);
}

void CProblemSolvingFeedbackChildDlg::Answer(FeedbackChoice choice) {
    if (m_bridge != nullptr) {
        m_bridge->CustomerFeedbackEx(choice, CurrentFeedbackTimeText());
        m_bridge->FeedbackQuestion();
    }
    ::SendMessageW(FrameWindow(), WM_CLOSE, 0, 0);
}

bool CProblemSolvingFeedbackChildDlg::OnCommand(int id, int code, HWND control) {
    if (code != BN_CLICKED) {
        return CContentDlg::OnCommand(id, code, control);
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
        return CContentDlg::OnCommand(id, code, control);
    }
}

bool CProblemSolvingFeedbackChildDlg::OnClose() {
    // A system close (Alt+F4) on the content closes the window as the close cross does.
    Answer(FeedbackChoice::Closed);
    return true;
}

void CProblemSolvingFeedbackChildDlg::OnDestroy() {
    m_close.ReleaseImages();
    m_solved.ReleaseImages();
    m_notSolved.ReleaseImages();
    m_moreSolutions.ReleaseImages();
    CContentDlg::OnDestroy();
}
